#pragma once

#include "X11Libraries.h"
#include "model/ByteArray.h"

#include <juce_events/juce_events.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>

// libFuzzer's entry points, which every target defines.
extern "C" int LLVMFuzzerInitialize (int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size);

/** What every fuzz target shares: JUCE set up once per process, JUCE assertions turned into
    crashes, a check that stops the run on a broken invariant, and the Karvelo's block rules stated
    independently of the model, so the targets compare the model against them. */
namespace FuzzSupport
{
/** Reports a broken invariant and stops, so that libFuzzer records the input as a crash. */
[[noreturn]] inline void fail (const char* what)
{
    std::fprintf (stderr, "\n*** fuzz invariant broken: %s\n", what);
    std::fflush (stderr);
    std::abort();
}

inline void require (bool condition, const char* what)
{
    if (! condition)
        fail (what);
}

/** JUCE is built with JUCE_LOG_ASSERTIONS=1: a jassert that fires writes "JUCE Assertion failure
    in <file>:<line>" through the current logger, on whatever thread tripped it. Such a message is a
    finding; anything else is passed on to stderr. */
class AbortOnAssertion : public juce::Logger
{
    void logMessage (const juce::String& message) override
    {
        if (message.startsWith ("JUCE Assertion failure"))
        {
            std::fprintf (stderr, "\n*** %s\n", message.toRawUTF8());
            std::fflush (stderr);
            std::abort();
        }

        std::fprintf (stderr, "%s\n", message.toRawUTF8());
    }
};

/** Sets up JUCE's message loop on the calling thread (which becomes the message thread) and
    installs the assertion logger. Call once, first thing in LLVMFuzzerInitialize. */
inline void initialiseJuce()
{
    // JUCE installs its X error handlers only in what it takes for an application; without them a
    // window (the number box's target makes one) ends the process with BadAtom.
    juce::JUCEApplicationBase::createInstance = []() -> juce::JUCEApplicationBase* { return nullptr; };
    keepX11LibrariesLoaded();
    juce::initialiseJuce_GUI();
    juce::Logger::setCurrentLogger (new AbortOnAssertion());
}

/** Makes a normal exit (libFuzzer calls exit() when its time is up) destroy the target's objects,
    then shut JUCE down, before the static holders of JUCE's singletons go: left alive, they would
    trip JUCE's own assertions on the way out.

    Exit handlers and static destructors run in reverse order of registration, so this must come
    after every lazily created static that the target's inputs use: call it at the end of
    LLVMFuzzerInitialize, after one warm-up input has gone through the target's whole path. */
inline void cleanUpAtExit (std::function<void()> destroyTargetObjects)
{
    static std::function<void()> destroy;
    destroy = std::move (destroyTargetObjects);

    std::atexit (
        []
        {
            if (destroy)
                destroy();

            // An assertion while shutting down is still a finding: the logger goes last.
            juce::shutdownJuce_GUI();
            auto* logger = juce::Logger::getCurrentLogger();
            juce::Logger::setCurrentLogger (nullptr);
            delete logger;
        });
}

/** The Karvelo's block: 138 bytes, every byte 0..127, and the TYPE byte of each of the 24 buttons
    (block offset 67 + 3 i) 0 (note) or 1 (control change). */
constexpr int blockSize = 138;
constexpr int firstTypeOffset = 67;
constexpr int numButtons = 24;

inline bool isTypeOffset (int offset)
{
    return offset >= firstTypeOffset && (offset - firstTypeOffset) % 3 == 0
           && (offset - firstTypeOffset) / 3 < numButtons;
}

inline bool isValidBlock (const juce::uint8* bytes, size_t size)
{
    if (size != static_cast<size_t> (blockSize))
        return false;

    for (int i = 0; i < blockSize; ++i)
        if (bytes[i] > 127 || (isTypeOffset (i) && bytes[i] > 1))
            return false;

    return true;
}

inline bool isValidBlock (const ByteArray& bytes)
{
    return isValidBlock (bytes.begin(), static_cast<size_t> (bytes.size()));
}

/** A valid block made from a seed; seeds that differ modulo 128 give different blocks. */
inline ByteArray validBlock (int seed)
{
    ByteArray block;

    for (int i = 0; i < blockSize; ++i)
        block.add (static_cast<juce::uint8> (isTypeOffset (i) ? ((seed + i) & 1) : ((seed * 7 + i) & 0x7f)));

    return block;
}
} // namespace FuzzSupport
