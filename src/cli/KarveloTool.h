#pragma once

#include "engine/KARVELOEditorEngine.h"

#include <functional>
#include <iosfwd>

/** The command-line tool `karvelo`: shows, compares, converts and changes preset files, and sends
    presets to the controller and receives them from it, through the same engine and MIDI manager
    as the editor. Everything but the entry point lives here, so that tests run it in-process.

    Exit status: 0 success, 1 a failure of the work (a bad file, a device that does not answer;
    for diff, presets that differ), 2 bad usage. Errors go to the error stream, one line each.
*/
namespace KarveloTool
{
enum ExitStatus
{
    success = 0,
    failure = 1,
    badUsage = 2
};

/** What the tool reaches outside itself. */
struct Environment
{
    std::ostream& out;
    std::ostream& err;

    /** Makes the MIDI devices for send, receive and ports. */
    std::function<std::unique_ptr<MidiDeviceLayer>()> createDevices;

    int acknowledgementTimeout = KARVELOEditorEngine::acknowledgementTimeoutMilliseconds;
    int replyTimeout = KARVELOEditorEngine::replyTimeoutMilliseconds;
};

/** Runs one command line (the arguments after the program's name) and returns the exit status.
    Device commands need JUCE's message manager: they use the calling thread's, or set one up for
    the time of the command when there is none. */
int run (const juce::StringArray& arguments, const Environment& environment);

/** The default port: the controller, as the editor finds it. */
inline const juce::String defaultPort{ "Karvelo" };
} // namespace KarveloTool
