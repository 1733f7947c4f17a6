#include "CommandLine.h"
#include "KarveloEditorApplication.h"
#include "X11Connection.h"

#include <iostream>

namespace
{
juce::JUCEApplicationBase* createKarveloEditor()
{
    return new KarveloEditorApplication();
}
} // namespace

int main (int argc, char* argv[])
{
    juce::StringArray arguments;

    for (int i = 1; i < argc; ++i)
        arguments.add (juce::String::fromUTF8 (argv[i]));

    // --help and --version need no display, and open no window.
    const auto programName = juce::String::fromUTF8 (argv[0]).fromLastOccurrenceOf ("/", false, false);

    if (const auto answer = CommandLine::getAnswerWithoutStarting (arguments, programName))
    {
        std::cout << *answer << std::flush;
        return 0;
    }

    // Without a display JUCE would go on, assert at every window and idle with none.
    if (const auto problem = X11Connection::findWhyDisplayCannotOpen())
    {
        std::cerr << *problem << std::endl;
        return 1;
    }

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
