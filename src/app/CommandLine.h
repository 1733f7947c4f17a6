#pragma once

#include <juce_core/juce_core.h>

#include <optional>

/** The editor's command line. Each argument is one path, taken as given (relative paths from the
    working folder); a local file:// address, as desktop launchers pass them, is its path. Arguments
    that begin with "-" are options: --help and --version answer without starting the editor, any
    other is ignored.
*/
namespace CommandLine
{
/** The files the arguments name, in order. */
juce::Array<juce::File> getPresetFiles (const juce::StringArray& arguments);

/** The file one argument names: a local file:// address is decoded, anything else is a path. */
juce::File toFile (const juce::String& argument);

/** What --help or --version prints (whichever comes first), or nothing when the editor should
    start. The program name is the one the user typed, for the usage line. */
std::optional<juce::String> getAnswerWithoutStarting (const juce::StringArray& arguments,
                                                      const juce::String& programName);
} // namespace CommandLine
