#pragma once

#include <juce_graphics/juce_graphics.h>

#include <map>
#include <optional>
#include <sys/types.h>

// The editor program built beside the tests, run as a child process with its own environment and
// its output kept in files, and what such a test needs around it: a private X display to lose, and
// the mouse and keys of a user at that display.

/** The editor program, started at once. Killed with the object if it is still running. */
class EditorProcess
{
public:
    /** Runs the editor with these arguments and this process's environment, each variable given
        here set to its value or, without one, removed. The output goes into the folder. */
    EditorProcess (const juce::StringArray& arguments,
                   const std::map<juce::String, std::optional<juce::String>>& environment,
                   const juce::File& outputFolder);
    ~EditorProcess();

    /** The wait status once the program has ended, or nothing if it has not within the time. */
    std::optional<int> waitForEnd (int milliseconds = 20000);

    void sendSignal (int signalNumber) const;

    juce::String getOutput() const { return standardOutput.loadFileAsString(); }
    juce::String getErrors() const { return standardError.loadFileAsString(); }

private:
    pid_t pid = -1;
    std::optional<int> status;
    juce::File standardOutput, standardError;

    JUCE_DECLARE_NON_COPYABLE (EditorProcess)
};

/** A private Xvfb server, so that a test's clicks reach only its own child and it can take the
    display away. Ended with the object. */
class PrivateDisplay
{
public:
    /** A screen of 1280 x 1024 pixels, at Xvfb's own resolution or at this many dots per inch. */
    explicit PrivateDisplay (int dotsPerInch = 0);
    ~PrivateDisplay();

    /** ":<n>", or empty when the server did not start. */
    juce::String getName() const { return name; }

    /** Ends the server, as a crash or a logout would. */
    void end();

private:
    pid_t pid = -1;
    juce::String name;

    JUCE_DECLARE_NON_COPYABLE (PrivateDisplay)
};

/** A user at a display, through the X server's test extension. */
class DisplayUser
{
public:
    explicit DisplayUser (const juce::String& displayName);
    ~DisplayUser();

    /** The top-left corner on the screen of the shown window with this title, once there is one. */
    std::optional<juce::Point<int>> waitForWindow (const juce::String& title, int milliseconds = 20000);

    void click (juce::Point<int> position);

    /** Types digits, with '\n' for Return and '\x1b' for Escape. */
    void type (const juce::String& keys);

private:
    void* display = nullptr;

    JUCE_DECLARE_NON_COPYABLE (DisplayUser)
};
