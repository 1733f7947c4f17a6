#include "KarveloEditorApplication.h"

namespace
{
juce::JUCEApplicationBase* createKarveloEditor()
{
    return new KarveloEditorApplication();
}
} // namespace

int main (int argc, char* argv[])
{
    juce::JUCEApplicationBase::createInstance = &createKarveloEditor;
    return juce::JUCEApplicationBase::main (argc, const_cast<const char**> (argv));
}
