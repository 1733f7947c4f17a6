#include "EditorProcess.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace
{
// Starts a program with the termination signals at their defaults and none held back, as a shell
// would start it; fills in the pid, or leaves it at -1.
pid_t spawn (const std::vector<std::string>& argumentsWithProgram,
             const std::vector<std::string>& environment, posix_spawn_file_actions_t& actions)
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

    std::vector<char*> argv, envp;

    for (const auto& argument : argumentsWithProgram)
        argv.push_back (const_cast<char*> (argument.c_str()));

    for (const auto& variable : environment)
        envp.push_back (const_cast<char*> (variable.c_str()));

    argv.push_back (nullptr);
    envp.push_back (nullptr);

    pid_t pid = -1;

    if (posix_spawnp (&pid, argv[0], &actions, &attributes, argv.data(), envp.data()) != 0)
        pid = -1;

    posix_spawnattr_destroy (&attributes);
    return pid;
}

std::vector<std::string> currentEnvironment()
{
    std::vector<std::string> variables;

    for (auto** variable = environ; *variable != nullptr; ++variable)
        variables.emplace_back (*variable);

    return variables;
}

std::optional<int> waitForChild (pid_t pid, int milliseconds)
{
    for (auto start = juce::Time::getMillisecondCounter();;)
    {
        int status = 0;

        if (waitpid (pid, &status, WNOHANG) == pid)
            return status;

        if (juce::Time::getMillisecondCounter() - start > (juce::uint32) milliseconds)
            return std::nullopt;

        juce::Thread::sleep (10);
    }
}

void endChild (pid_t pid)
{
    kill (pid, SIGKILL);
    waitForChild (pid, 5000);
}
} // namespace

//==============================================================================
EditorProcess::EditorProcess (const juce::StringArray& arguments,
                              const std::map<juce::String, std::optional<juce::String>>& environment,
                              const juce::File& outputFolder)
    : standardOutput (outputFolder.getChildFile ("editor.out"))
    , standardError (outputFolder.getChildFile ("editor.err"))
{
    std::vector<std::string> argv{ KARVELO_EDITOR_PATH };

    for (const auto& argument : arguments)
        argv.push_back (argument.toStdString());

    auto variables = currentEnvironment();

    for (const auto& [name, value] : environment)
    {
        const auto prefix = name.toStdString() + "=";
        variables.erase (std::remove_if (variables.begin(), variables.end(),
                                         [&] (const std::string& v) { return v.rfind (prefix, 0) == 0; }),
                         variables.end());

        if (value.has_value())
            variables.push_back (prefix + value->toStdString());
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init (&actions);
    posix_spawn_file_actions_addopen (&actions, STDOUT_FILENO, standardOutput.getFullPathName().toRawUTF8(),
                                      O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen (&actions, STDERR_FILENO, standardError.getFullPathName().toRawUTF8(),
                                      O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid = spawn (argv, variables, actions);
    posix_spawn_file_actions_destroy (&actions);
}

EditorProcess::~EditorProcess()
{
    if (pid > 0 && ! status.has_value())
        endChild (pid);
}

std::optional<int> EditorProcess::waitForEnd (int milliseconds)
{
    if (pid > 0 && ! status.has_value())
        status = waitForChild (pid, milliseconds);

    return status;
}

void EditorProcess::sendSignal (int signalNumber) const
{
    kill (pid, signalNumber);
}

//==============================================================================
PrivateDisplay::PrivateDisplay (int dotsPerInch)
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
    std::vector<std::string> server{ "Xvfb",      "-displayfd", std::to_string (pipeEnds[1]),
                                     "-screen",   "0",          "1280x1024x24",
                                     "-nolisten", "tcp" };

    if (dotsPerInch > 0)
        server.insert (server.end(), { "-dpi", std::to_string (dotsPerInch) });

    pid = spawn (server, currentEnvironment(), actions);
    posix_spawn_file_actions_destroy (&actions);
    close (pipeEnds[1]);

    juce::String number;
    pollfd wait{ pipeEnds[0], POLLIN, 0 };
    char buffer[16];

    while (pid > 0 && ! number.endsWithChar ('\n') && poll (&wait, 1, 20000) == 1)
    {
        const auto got = read (pipeEnds[0], buffer, sizeof (buffer));

        if (got <= 0)
            break;

        number += juce::String (buffer, static_cast<size_t> (got));
    }

    close (pipeEnds[0]);

    if (number.endsWithChar ('\n'))
        name = ":" + number.trim();
}

PrivateDisplay::~PrivateDisplay()
{
    end();
}

void PrivateDisplay::end()
{
    if (pid > 0)
        endChild (std::exchange (pid, -1));
}

//==============================================================================
DisplayUser::DisplayUser (const juce::String& displayName)
    : display (XOpenDisplay (displayName.toRawUTF8()))
{
}

DisplayUser::~DisplayUser()
{
    if (display != nullptr)
        XCloseDisplay (static_cast<Display*> (display));
}

std::optional<juce::Point<int>> DisplayUser::waitForWindow (const juce::String& title, int milliseconds)
{
    auto* x = static_cast<Display*> (display);

    for (auto start = juce::Time::getMillisecondCounter();
         x != nullptr && juce::Time::getMillisecondCounter() - start < (juce::uint32) milliseconds;
         juce::Thread::sleep (50))
    {
        const auto root = DefaultRootWindow (x);
        Window rootReturn = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;

        if (XQueryTree (x, root, &rootReturn, &parent, &children, &count) == 0)
            continue;

        std::optional<juce::Point<int>> found;

        for (unsigned int i = 0; i < count && ! found; ++i)
        {
            // JUCE sets the name as UTF-8 text, which XFetchName does not return.
            XTextProperty name{};
            XWindowAttributes attributes;
            int left = 0, top = 0;
            Window child = 0;

            if (XGetWMName (x, children[i], &name) != 0 && name.value != nullptr)
            {
                if (title
                        == juce::String::fromUTF8 (reinterpret_cast<const char*> (name.value),
                                                   (int) name.nitems)
                    && XGetWindowAttributes (x, children[i], &attributes) != 0
                    && attributes.map_state == IsViewable
                    && XTranslateCoordinates (x, children[i], root, 0, 0, &left, &top, &child) != 0)
                    found = juce::Point<int> (left, top);

                XFree (name.value);
            }
        }

        if (children != nullptr)
            XFree (children);

        if (found)
            return found;
    }

    return std::nullopt;
}

void DisplayUser::click (juce::Point<int> position)
{
    auto* x = static_cast<Display*> (display);
    XTestFakeMotionEvent (x, -1, position.x, position.y, CurrentTime);
    XTestFakeButtonEvent (x, 1, True, CurrentTime);
    XTestFakeButtonEvent (x, 1, False, CurrentTime);
    XSync (x, False);
}

void DisplayUser::type (const juce::String& keys)
{
    auto* x = static_cast<Display*> (display);

    for (auto key : keys)
    {
        const auto symbol = key == '\n' ? XK_Return : key == '\x1b' ? XK_Escape : XK_0 + (KeySym) (key - '0');
        const auto code = XKeysymToKeycode (x, symbol);
        XTestFakeKeyEvent (x, code, True, CurrentTime);
        XTestFakeKeyEvent (x, code, False, CurrentTime);
    }

    XSync (x, False);
}
