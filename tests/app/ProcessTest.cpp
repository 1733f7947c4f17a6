#include "ApplicationFixture.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

// The editor program built beside the tests, run as a child process with an environment and an X
// display of its own and its output kept in files, and given a user's clicks and keys.
namespace
{
// Runs a shell script with these arguments, the termination signals at their defaults and none held
// back, as a shell would start it; returns its pid, or -1.
pid_t spawn (const juce::String& script, const juce::StringArray& arguments)
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
    std::vector<std::string> words{ "sh", "-c", script.toStdString(), "sh" };
    std::vector<char*> argv;

    for (auto& argument : arguments)
        words.push_back (argument.toStdString());

    for (auto& word : words)
        argv.push_back (word.data());

    argv.push_back (nullptr);
    pid_t pid = -1;

    if (posix_spawnp (&pid, "sh", nullptr, &attributes, argv.data(), environ) != 0)
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

bool exitedWith (std::optional<int> status, int code)
{
    return status.has_value() && WIFEXITED (*status) && WEXITSTATUS (*status) == code;
}

/** The editor program with these arguments, on this display (none: DISPLAY unset) and with a data
    folder (and so a recovery folder) of the test's own, its output in files of the folder. Killed
    with the object if still running. */
struct EditorProcess
{
    EditorProcess (const juce::StringArray& arguments, std::optional<juce::String> display,
                   const juce::File& folder)
        : output (folder.getChildFile ("editor.out"))
        , errors (folder.getChildFile ("editor.err"))
        , pid (spawn ((display ? "export DISPLAY='" + *display + "'; " : juce::String ("unset DISPLAY; "))
                          + "export XDG_DATA_HOME='" + folder.getFullPathName() + "/child'; exec '"
                          + KARVELO_EDITOR_PATH + "' \"$@\" >'" + output.getFullPathName() + "' 2>'"
                          + errors.getFullPathName() + "'",
                      arguments))
    {
    }

    ~EditorProcess()
    {
        if (pid > 0 && ! status.has_value())
            kill (pid, SIGKILL);

        waitForEnd();
    }

    std::optional<int> waitForEnd()
    {
        if (pid > 0 && ! status.has_value())
            status = waitForChild (pid);

        return status;
    }

    juce::File output, errors;
    pid_t pid = -1;
    std::optional<int> status;
};

/** A private Xvfb server of 1280 x 1024 pixels, so that a test's clicks reach
    only its own child and it can take the display away, and a user at it, through the server's test
    extension. Ended with the object. */
struct PrivateDisplay
{
    explicit PrivateDisplay (const juce::File& folder)
    {
        // Xvfb chooses a free display number and writes it, with a newline, to the descriptor given.
        const auto number = folder.getChildFile ("display");
        number.deleteFile();
        pid = spawn ("exec Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>'"
                         + number.getFullPathName() + "' 2>/dev/null",
                     {});
        MessageLoop::runUntil ([&] { return number.loadFileAsString().endsWithChar ('\n'); }, 20000);
        name = ":" + number.loadFileAsString().trim();
        x = XOpenDisplay (name.toRawUTF8());
    }

    ~PrivateDisplay() { end(); }

    /** Ends the server, as a crash or a logout would. */
    void end()
    {
        if (x != nullptr)
            XCloseDisplay (std::exchange (x, nullptr));

        if (pid > 0)
        {
            kill (pid, SIGKILL);
            waitForChild (std::exchange (pid, -1), 5000);
        }
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
            for (auto down : { True, False })
                XTestFakeKeyEvent (x,
                                   XKeysymToKeycode (x, key == '\n'     ? XK_Return
                                                        : key == '\x1b' ? XK_Escape
                                                                        : XK_0 + (KeySym) (key - '0')),
                                   down, CurrentTime);

        XSync (x, False);
    }

    pid_t pid = -1;
    juce::String name;
    Display* x = nullptr;
};

class Process : public ApplicationFixture
{
protected:
    // The presets the child keeps for recovery, deleted if asked.
    juce::Array<ByteArray> keptByChild (bool andDelete = false) const
    {
        juce::Array<ByteArray> contents;

        for (const auto& file : childRecovery.findChildFiles (juce::File::findFiles, false, "*.karvelo"))
            if (contents.add (HexFile::contentsOf (file)); andDelete)
                file.deleteFile();

        return contents;
    }

    juce::File childRecovery = folder.getChildFile ("child/karvelo-editor/recovery");
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
        EditorProcess editor (arguments, display, folder.get());
        EXPECT_TRUE (exitedWith (editor.waitForEnd(), code)) << errors;
        const auto shown = editor.output.loadFileAsString();
        EXPECT_TRUE (arguments.size() > 1 ? shown.startsWith (output) : shown == output) << shown;
        EXPECT_EQ (editor.errors.loadFileAsString(), errors);
    }
}

TEST_F (Process, SignalsKeepEdits)
{
    // Where the first knob's number box lies on the screen, measured on a window of this process: the
    // first window has its place, on a screen of the same size.
    start();
    const auto box = panelOf (window (0)).getKnobView (0).getCcBox().getScreenBounds().getCentre();
    stop();
    auto edited = HexFile::factoryBlock();
    edited.set (1, 99);
    const juce::Array<ByteArray> keptEdit{ fileImageOf (edited) };

    for (const auto ending : { SIGTERM, SIGHUP, SIGINT, 0 }) // 0: the X server goes away
    {
        SCOPED_TRACE (ending);
        PrivateDisplay display (folder.get());
        ASSERT_NE (display.x, nullptr) << "no Xvfb";
        EditorProcess editor ({}, display.name, folder.get());

        // The user clicks the box and types 99, again until the window is there and ready for it.
        for (int attempt = 0; attempt < 20 && keptByChild() != keptEdit; ++attempt)
        {
            display.type ("\x1b"); // leaves an entry a late window may have taken half of
            display.click (box);
            juce::Thread::sleep (200);
            display.type ("99\n");
            MessageLoop::runUntil ([&] { return keptByChild() == keptEdit; }, 1000);
        }

        // What the timer wrote goes: only the end itself can write it again.
        ASSERT_EQ (keptByChild (true), keptEdit) << editor.errors.loadFileAsString();

        if (ending != 0)
            kill (editor.pid, ending);
        else
            display.end();

        const auto status = editor.waitForEnd();
        ASSERT_TRUE (status.has_value()) << "still running";
        EXPECT_TRUE (ending != 0 ? WIFSIGNALED (*status) && WTERMSIG (*status) == ending
                                 : exitedWith (status, 1));
        EXPECT_EQ (keptByChild (ending != 0), keptEdit) << editor.errors.loadFileAsString();
    }

    // The next start offers what the last one left.
    recoveryFolder = childRecovery;
    start ({}, { Answer::yes });
    EXPECT_EQ (presetOf (window (0)).getData(), edited);
}
