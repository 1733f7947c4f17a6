#pragma once

#include "KarveloTool.h"
#include "engine/PresetFormats.h"

#include <map>
#include <ostream>

/** What the commands of the tool share: their parsed command line and their ways of failing. */
namespace KarveloTool
{
/** A command's arguments: the positional ones in order, and its options by name ("--port"). */
struct CommandLine
{
    juce::String command;
    juce::StringArray positionals;
    std::map<juce::String, juce::String> options;

    bool has (const juce::String& option) const { return options.count (option) > 0; }

    juce::String get (const juce::String& option, const juce::String& otherwise = {}) const
    {
        const auto found = options.find (option);
        return found != options.end() ? found->second : otherwise;
    }
};

/** Reports to the error stream; each returns the exit status that goes with it. */
struct Errors
{
    const Environment& environment;
    juce::String command;

    /** "karvelo: <file>: <why>", status 1. */
    int failure (const juce::String& what, const juce::String& why) const;

    /** "karvelo <command>: <why>" and a pointer to the command's help, status 2. */
    int usage (const juce::String& why) const;
};

/** Reads a preset in the format its name's extension says; nothing after reporting why not. */
std::optional<ByteArray> readPreset (const juce::String& path, const Errors& errors);

/** The format a file's name says, or a usage error. */
std::optional<PresetFormats::Format> formatFor (const juce::String& path, const Errors& errors);

juce::File fileOf (const juce::String& path);

int show (const CommandLine&, const Environment&, const Errors&);
int diff (const CommandLine&, const Environment&, const Errors&);
int convert (const CommandLine&, const Environment&, const Errors&);
int set (const CommandLine&, const Environment&, const Errors&);
int send (const CommandLine&, const Environment&, const Errors&);
int receive (const CommandLine&, const Environment&, const Errors&);
int ports (const CommandLine&, const Environment&, const Errors&);
} // namespace KarveloTool
