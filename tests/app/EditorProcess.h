#pragma once

#include "MessageLoop.h"

#include <juce_graphics/juce_graphics.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <csignal>
#include <fcntl.h>
#include <map>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

// The editor program built beside the tests, run as a child process with its own environment and
// its output kept in files, and what such a test needs around it: a private X display to lose, and
// the mouse and keys of a user at that display.
namespace
{
using Environment = std::map<juce::String, std::optional<juce::String>>;

// Starts a program with the termination signals at their defaults and none held back, as a shell
// would start it; returns its pid, or -1.
pid_t spawn (std::vector<std::string> argv, posix_spawn_file_actions_t& actions)
{
    posix_spawnattr_t attributes;
    posix_spawnattr_init (&attributes);
    sigset_t signals;
    sigemptyset (&signals);
    posix_spawnattr_setsigmask (&attributes, &signals);

    for (auto signalNumber : { SIGTERM, SIGHUP, SIGINT })
        sigaddset (&signals, signalNumber);

    posix_spawnattr_setsigdefault (&attributes, &signals);
    posix_spawnattr_setflags (&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    std::vector<char*> args;

    for (auto& s : argv)
        args.push_back (s.data());

    args.push_back (nullptr);
    pid_t pid = -1;

    if (posix_spawnp (&pid, args[0], &actions, &attributes, args.data(), environ) != 0)
        pid = -1;

    posix_spawnattr_destroy (&attributes);
    return pid;
}

std::optional<int> waitForChild (pid_t pid, int milliseconds = 20000)
{
    int status = 0;

    if (MessageLoop::runUntil ([&] { return waitpid (pid, &status, WNOHANG) == pid; }, milliseconds))
        return status;

    return std::nullopt;
}

void endChild (pid_t pid)
{
    kill (pid, SIGKILL);
    waitForChild (pid, 5000);
}

/** The editor program, started at once, its output in files of the folder. Killed with the object
    if it is still running. */
struct EditorProcess
{
    EditorProcess (const juce::StringArray& arguments, const Environment& environment,
                   const juce::File& folder)
        : output (folder.getChildFile ("editor.out"))
        , errors (folder.getChildFile ("editor.err"))
    {
        // Through env(1), which sets each variable given a value and removes the others.
        std::vector<std::string> argv{ "env" };

        for (const auto& [name, value] : environment)
            for (auto& word :
                 value ? juce::StringArray (name + "=" + *value) : juce::StringArray ("-u", name))
                argv.push_back (word.toStdString());

        argv.push_back (KARVELO_EDITOR_PATH);

        for (const auto& argument : arguments)
            argv.push_back (argument.toStdString());

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init (&actions);
        posix_spawn_file_actions_addopen (&actions, STDOUT_FILENO, output.getFullPathName().toRawUTF8(),
                                          O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen (&actions, STDERR_FILENO, errors.getFullPathName().toRawUTF8(),
                                          O_WRONLY | O_CREAT | O_TRUNC, 0600);
        pid = spawn (argv, actions);
        posix_spawn_file_actions_destroy (&actions);
    }

    ~EditorProcess()
    {
        if (pid > 0 && ! status.has_value())
            endChild (pid);
    }

    std::optional<int> waitForEnd()
    {
        if (pid > 0 && ! status.has_value())
            status = waitForChild (pid);

        return status;
    }

    juce::String getErrors() const { return errors.loadFileAsString(); }

    juce::File output, errors;
    pid_t pid = -1;
    std::optional<int> status;
};

/** A private Xvfb server, so that a test's clicks reach only its own child and it can take the
    display away. Ended with the object. */
struct PrivateDisplay
{
    /** A screen of 1280 x 1024 pixels, at Xvfb's own resolution or at this many dots per inch. */
    explicit PrivateDisplay (int dotsPerInch = 0)
    {
        // Xvfb chooses a free display number and writes it, with a newline, to the descriptor it is
        // given: the write end of a pipe, the one descriptor of this process it inherits on purpose.
        int pipeEnds[2];

        if (pipe2 (pipeEnds, O_CLOEXEC) != 0)
            return;

        fcntl (pipeEnds[1], F_SETFD, 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init (&actions);
        posix_spawn_file_actions_addopen (&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        pid = spawn ({ "Xvfb", "-displayfd", std::to_string (pipeEnds[1]), "-screen", "0", "1280x1024x24",
                       "-nolisten", "tcp", "-dpi", std::to_string (dotsPerInch > 0 ? dotsPerInch : 96) },
                     actions);
        posix_spawn_file_actions_destroy (&actions);
        close (pipeEnds[1]);
        juce::String number;
        pollfd wait{ pipeEnds[0], POLLIN, 0 };
        char buffer[16];

        for (ssize_t got = 1;
             pid > 0 && got > 0 && ! number.endsWithChar ('\n') && poll (&wait, 1, 20000) == 1;)
            if ((got = read (pipeEnds[0], buffer, sizeof (buffer))) > 0)
                number += juce::String (buffer, static_cast<size_t> (got));

        close (pipeEnds[0]);

        if (number.endsWithChar ('\n'))
            name = ":" + number.trim();
    }

    ~PrivateDisplay() { end(); }

    /** Ends the server, as a crash or a logout would. */
    void end()
    {
        if (pid > 0)
            endChild (std::exchange (pid, -1));
    }

    pid_t pid = -1;
    juce::String name; // ":<n>", or empty when the server did not start
};

/** A user at a display, through the X server's test extension. */
struct DisplayUser
{
    explicit DisplayUser (const juce::String& displayName)
        : x (XOpenDisplay (displayName.toRawUTF8()))
    {
    }

    ~DisplayUser()
    {
        if (x != nullptr)
            XCloseDisplay (x);
    }

    /** The top-left corner on the screen of the shown window with this title, once there is one. */
    std::optional<juce::Point<int>> waitForWindow (const juce::String& title)
    {
        std::optional<juce::Point<int>> found;

        for (auto start = juce::Time::getMillisecondCounter();
             x != nullptr && ! found && juce::Time::getMillisecondCounter() - start < 20000;
             juce::Thread::sleep (50))
        {
            const auto root = DefaultRootWindow (x);
            Window rootReturn = 0, parent = 0, *children = nullptr, child = 0;
            unsigned int count = 0;

            if (XQueryTree (x, root, &rootReturn, &parent, &children, &count) == 0)
                continue;

            for (unsigned int i = 0; i < count && ! found; ++i)
            {
                // JUCE sets the name as UTF-8 text, which XFetchName does not return.
                XTextProperty name{};
                XWindowAttributes attributes;
                int left = 0, top = 0;

                if (XGetWMName (x, children[i], &name) != 0 && name.value != nullptr)
                {
                    if (title == juce::String::fromUTF8 ((const char*) name.value, (int) name.nitems)
                        && XGetWindowAttributes (x, children[i], &attributes) != 0
                        && attributes.map_state == IsViewable
                        && XTranslateCoordinates (x, children[i], root, 0, 0, &left, &top, &child) != 0)
                        found = juce::Point<int> (left, top);

                    XFree (name.value);
                }
            }

            if (children != nullptr)
                XFree (children);
        }

        return found;
    }

    void click (juce::Point<int> position)
    {
        XTestFakeMotionEvent (x, -1, position.x, position.y, CurrentTime);
        XTestFakeButtonEvent (x, 1, True, CurrentTime);
        XTestFakeButtonEvent (x, 1, False, CurrentTime);
        XSync (x, False);
    }

    /** Types digits, with '\n' for Return and '\x1b' for Escape. */
    void type (const juce::String& keys)
    {
        for (auto key : keys)
        {
            const auto code = XKeysymToKeycode (x, key == '\n'     ? XK_Return
                                                   : key == '\x1b' ? XK_Escape
                                                                   : XK_0 + (KeySym) (key - '0'));
            XTestFakeKeyEvent (x, code, True, CurrentTime);
            XTestFakeKeyEvent (x, code, False, CurrentTime);
        }

        XSync (x, False);
    }

    Display* x = nullptr;
};
} // namespace
