#include "ApplicationFixture.h"

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

extern char** environ;

// The editor program built beside the tests, run as a child process with its own environment and
// its output kept in files, and what such a test needs around it: a private X display to lose, and
// the mouse and keys of a user at that display.
namespace
{
using Answer = DesktopServices::Answer;
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
    PrivateDisplay()
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
                       "-nolisten", "tcp" },
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

// The editor program run as a child process, with a data folder (and so a recovery folder) of the
// test's own.
class Process : public ApplicationFixture
{
protected:
    Environment environmentWith (std::optional<juce::String> display) const
    {
        return { { "DISPLAY", display }, { "XDG_DATA_HOME", dataHome.getFullPathName() } };
    }

    juce::File childRecoveryFolder() const { return dataHome.getChildFile ("karvelo-editor/recovery"); }

    juce::Array<ByteArray> keptByChild (bool andDelete = false) const
    {
        juce::Array<ByteArray> contents;

        for (const auto& file :
             childRecoveryFolder().findChildFiles (juce::File::findFiles, false, "*.karvelo"))
            if (contents.add (contentsOf (file)); andDelete)
                file.deleteFile();

        return contents;
    }

    static bool exitedWith (std::optional<int> status, int code)
    {
        return status.has_value() && WIFEXITED (*status) && WEXITSTATUS (*status) == code;
    }

    juce::File dataHome = folder.getChildFile ("data");
};
} // namespace

TEST_F (Process, CommandLine)
{
    const std::tuple<juce::StringArray, std::optional<juce::String>, int, juce::String, juce::String>
        runs[] = { { {}, std::nullopt, 1, "", "cannot open the X display (DISPLAY is not set)\n" },
                   { {}, juce::String (":99999"), 1, "", "cannot open the X display \":99999\"\n" },
                   { { "Some.karvelo", "--help", "--version" },
                     std::nullopt,
                     0,
                     "Usage: Karvelo Editor [PRESET FILE]...\n",
                     "" },
                   { { "--version" }, std::nullopt, 0, "Karvelo Editor 1.0.7\n", "" } };

    for (const auto& [arguments, display, code, output, errors] : runs)
    {
        EditorProcess editor (arguments, environmentWith (display), folder.get());
        EXPECT_TRUE (exitedWith (editor.waitForEnd(), code)) << errors;
        const auto shown = editor.output.loadFileAsString();
        EXPECT_TRUE (arguments.size() > 1 ? shown.startsWith (output) : shown == output) << shown;
        EXPECT_EQ (editor.getErrors(), errors);
    }
}

TEST_F (Process, SignalsKeepEdits)
{
    // Where the first knob's number box lies in a window, measured on a window of this process.
    start();
    const auto box = panelOf (window (0)).getKnobView (0).getCcBox().getScreenBounds().getCentre()
                     - window (0).getScreenPosition();
    stop();
    auto edited = factoryPresetBlock();
    edited.set (1, 99);
    const juce::Array<ByteArray> keptEdit{ fileImageOf (edited) };

    for (const auto ending : { SIGTERM, SIGHUP, SIGINT, 0 }) // 0: the X server goes away
    {
        SCOPED_TRACE (ending);
        PrivateDisplay display;
        ASSERT_TRUE (display.name.isNotEmpty()) << "no Xvfb";
        EditorProcess editor ({}, environmentWith (display.name), folder.get());
        {
            // The user clicks the box and types 99, again if the window was not ready for it yet. The
            // user's own connection is closed before the display may go.
            DisplayUser user (display.name);
            const auto window = user.waitForWindow ("Karvelo Editor Untitled 1");
            ASSERT_TRUE (window.has_value()) << editor.getErrors();

            for (int attempt = 0; attempt < 5 && keptByChild() != keptEdit; ++attempt)
            {
                user.type ("\x1b"); // leaves an entry a late window may have taken half of
                user.click (*window + box);
                juce::Thread::sleep (200);
                user.type ("99\n");
                MessageLoop::runUntil ([&] { return keptByChild() == keptEdit; }, 3000);
            }
        }

        // What the timer wrote goes: only the end itself can write it again.
        ASSERT_EQ (keptByChild (true), keptEdit);

        if (ending != 0)
            kill (editor.pid, ending);
        else
            display.end();

        const auto status = editor.waitForEnd();
        ASSERT_TRUE (status.has_value()) << "still running";
        EXPECT_TRUE (ending != 0 ? WIFSIGNALED (*status) && WTERMSIG (*status) == ending
                                 : exitedWith (status, 1));
        EXPECT_EQ (keptByChild (ending != 0), keptEdit) << editor.getErrors();
    }

    // The next start offers what the last one left.
    recoveryFolder = childRecoveryFolder();
    start ({}, { Answer::yes });
    EXPECT_EQ (presetOf (window (0)).getData(), edited);
}
