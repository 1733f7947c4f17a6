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
    // All of the editor's text uses its embedded typeface (see Fonts.h). JUCE would still open
    // every font file of the system the first time it makes any typeface; pointing its font path
    // at a folder that holds none spares that (unless a path is set already).
    setenv ("JUCE_FONT_PATH",
            juce::File::getSpecialLocation (juce::File::currentExecutableFile)
                .getParentDirectory()
                .getChildFile ("no-fonts")
                .getFullPathName()
                .toRawUTF8(),
            0);

    juce::JUCEApplicationBase::createInstance = &createKarveloEditor;
    return juce::JUCEApplicationBase::main (argc, const_cast<const char**> (argv));
}
