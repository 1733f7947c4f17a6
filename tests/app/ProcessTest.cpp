#include "ApplicationFixture.h"
#include "app/CommandIDs.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>

// What an editor leaves for the next start when it ends without the user's answer, in-process and
// as the editor program built beside the tests, run as a child process with an environment and an X
// display of its own and its output kept in files, and given a user's clicks and keys.
namespace
{
/** A shell script run as a child; killed with the object if still running. */
struct Child
{
    explicit Child (const juce::String& script)
    {
        const auto text = script.toStdString();

        if ((pid = fork()) == 0)
        {
            execl ("/bin/sh", "sh", "-c", text.c_str(), nullptr);
            _exit (127);
        }
    }

    ~Child() { end (SIGKILL); }

    /** Sends the signal (none: 0) if the child still runs; its wait status once it has ended. */
    std::optional<int> end (int signalNumber = 0)
    {
        int waitStatus = 0;

        if (! status && signalNumber != 0)
            kill (pid, signalNumber);

        if (! status
            && MessageLoop::runUntil ([&] { return waitpid (pid, &waitStatus, WNOHANG) == pid; }, 20000))
            status = waitStatus;

        return status;
    }

    bool exitedWith (int code) { return end() && WIFEXITED (*status) && WEXITSTATUS (*status) == code; }

    pid_t pid = -1;
    std::optional<int> status;
};

class Recovery : public ApplicationFixture
{
protected:
    // The contents of the presets kept in a recovery folder, by file name; deleted if asked.
    static juce::Array<ByteArray> keptIn (const juce::File& where, bool andDelete = false)
    {
        auto files = where.findChildFiles (juce::File::findFiles, false, "*.karvelo");
        files.sort();
        juce::Array<ByteArray> contents;

        for (const auto& file : files)
            if (contents.add (HexFile::contentsOf (file)); andDelete)
                file.deleteFile();

        return contents;
    }

    juce::Array<ByteArray> kept() const { return keptIn (recoveryFolder); }

    // Types a controller number into a knob's box, as the user does; returns the preset's new block.
    ByteArray edit (MainWindow& w, int knob, int number)
    {
        panelOf (w).getKnobView (knob).getCcBox().setValue (number, juce::sendNotificationSync);
        return presetOf (w).getData();
    }

    static juce::String question (int count)
    {
        return "ask Unsaved Presets: " + OrvikEditorApplication::getRecoveryQuestion (count)
               + " [Reopen/Discard/Later]";
    }

    // The editor program with these env(1) options and arguments, the termination signals at their
    // defaults as a shell starts it, and a data folder (and so a recovery folder) of the test's own,
    // its output in editor.out and editor.err.
    Child startEditor (const juce::String& environment, const juce::String& arguments = {})
    {
        return Child ("exec env --default-signal=TERM,HUP,INT " + environment + " XDG_DATA_HOME='"
                      + folder.get().getFullPathName() + "/child' '" + KARVELO_EDITOR_PATH + "' " + arguments
                      + " >'" + output.getFullPathName() + "' 2>'" + errors.getFullPathName() + "'");
    }

    juce::File output = folder.getChildFile ("editor.out"), errors = folder.getChildFile ("editor.err");
    juce::File childRecovery = folder.getChildFile ("child/karvelo-editor/recovery");
};

// Key presses and releases at a display, through its test extension.
void press (Display* x, std::initializer_list<KeySym> keys)
{
    for (auto key : keys)
        for (auto down : { True, False })
            XTestFakeKeyEvent (x, XKeysymToKeycode (x, key), down, CurrentTime);

    XSync (x, False);
}

using Process = Recovery;
} // namespace

TEST_F (Process, CommandLine)
{
    const std::tuple<juce::String, juce::String, int, juce::String, juce::String> runs[] = {
        { "-u DISPLAY", "", 1, "", "cannot open the X display (DISPLAY is not set)\n" },
        { "DISPLAY=:99999", "", 1, "", "cannot open the X display \":99999\"\n" },
        { "-u DISPLAY", "Some.karvelo --help --version", 0, "Usage: Karvelo Editor [PRESET FILE]...\n", "" },
        { "-u DISPLAY", "--version", 0, "Karvelo Editor 1.0.7\n", "" }
    };

    for (const auto& [environment, arguments, code, shown, error] : runs)
    {
        EXPECT_TRUE (startEditor (environment, arguments).exitedWith (code)) << errors.loadFileAsString();
        const auto text = output.loadFileAsString();
        EXPECT_TRUE (arguments.contains (" ") ? text.startsWith (shown) : text == shown) << text;
        EXPECT_EQ (errors.loadFileAsString(), error);
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
    const auto number = folder.getChildFile ("display");

    for (const auto ending : { SIGTERM, SIGHUP, SIGINT, 0 }) // 0: the X server goes away
    {
        SCOPED_TRACE (ending);
        // A private X server, so that the clicks reach only this child and the test can take it away;
        // it writes the display number it chose, with a newline, to the descriptor given.
        number.deleteFile();
        Child server ("exec Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>'"
                      + number.getFullPathName() + "' 2>/dev/null");
        MessageLoop::runUntil ([&] { return number.loadFileAsString().endsWithChar ('\n'); }, 20000);
        const auto display = ":" + number.loadFileAsString().trim();
        auto* x = XOpenDisplay (display.toRawUTF8());
        ASSERT_NE (x, nullptr) << "no Xvfb";
        auto editor = startEditor ("DISPLAY=" + display);

        // The user clicks the box and types 99, again until the window is there and ready for it.
        for (int attempt = 0; attempt < 20 && keptIn (childRecovery) != keptEdit; ++attempt)
        {
            press (x, { XK_Escape }); // leaves an entry a late window may have taken half of
            XTestFakeMotionEvent (x, -1, box.x, box.y, CurrentTime);
            XTestFakeButtonEvent (x, 1, True, CurrentTime);
            XTestFakeButtonEvent (x, 1, False, CurrentTime);
            XSync (x, False);
            juce::Thread::sleep (200);
            press (x, { XK_9, XK_9, XK_Return });
            MessageLoop::runUntil ([&] { return keptIn (childRecovery) == keptEdit; }, 1000);
        }

        XCloseDisplay (x);
        // What the timer wrote goes: only the end itself can write it again.
        ASSERT_EQ (keptIn (childRecovery, true), keptEdit) << errors.loadFileAsString();
        const auto status = ending != 0 ? editor.end (ending) : (server.end (SIGKILL), editor.end());
        EXPECT_TRUE (ending != 0 ? status && WIFSIGNALED (*status) && WTERMSIG (*status) == ending
                                 : editor.exitedWith (1));
        EXPECT_EQ (keptIn (childRecovery, ending != 0), keptEdit) << errors.loadFileAsString();
    }

    // The next start offers what the last one left.
    recoveryFolder = childRecovery;
    start ({}, { Answer::yes });
    EXPECT_EQ (presetOf (window (0)).getData(), edited);
}

TEST_F (Recovery, RestartOffersWhatWasLeft)
{
    start();
    invoke (CommandIDs::newDocument);
    invoke (CommandIDs::newDocument);
    auto first = edit (window (0), 0, 60);
    const auto second = edit (window (1), 1, 61);
    juce::Array<ByteArray> images{ fileImageOf (first), fileImageOf (second) }; // not the unedited third
    EXPECT_TRUE (MessageLoop::runUntil ([&] { return kept() == images; }));
    images.set (0, fileImageOf (first = edit (window (0), 2, 62)));
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return kept() == images; }));
    struct stat status = {};
    ASSERT_EQ (stat (recoveryFolder.getFullPathName().toRawUTF8(), &status), 0);
    EXPECT_EQ (status.st_mode & 0777, 0700u) << "not for other users' eyes";
    stop(); // the windows were never answered for: their edits stay

    start ({}, { Answer::cancel }); // Later: kept, as the next start shows
    EXPECT_EQ (shown() + " / " + desktopWindows(), question (2) + " / Karvelo Editor Untitled 1");
    stop();

    // Reopened as untitled windows with unsaved edits, and kept again under this editor's names
    // before the old files go; kept until saved or closed unsaved.
    start ({}, { Answer::yes });
    EXPECT_EQ (shown(), question (2));
    ASSERT_EQ (desktopWindows(), "Karvelo Editor Untitled 1, Karvelo Editor Untitled 2");
    EXPECT_EQ (std::pair (presetOf (window (0)).getData(), presetOf (window (1)).getData()),
               std::pair (first, second));
    EXPECT_TRUE (window (0).hasUnsavedEdits() && window (1).hasUnsavedEdits());
    EXPECT_EQ (kept(), images);
    desktop->files = { folder.getChildFile ("Saved.karvelo") };
    invoke (window (0), CommandIDs::save);
    EXPECT_EQ (kept(), juce::Array<ByteArray> ({ fileImageOf (second) }));
    desktop->answers = { Answer::no };
    invoke (window (1), CommandIDs::closeWindow);
    EXPECT_EQ (kept(), juce::Array<ByteArray>());

    images = { fileImageOf (edit (window (0), 0, 63)) };
    EXPECT_TRUE (MessageLoop::runUntil ([&] { return kept() == images; }));
    stop();

    // Another editor's presets while it runs (its lock is held), and a file that is no preset, are
    // neither offered nor touched; a preset file given on the command line opens first. Discarded here.
    const auto running = recoveryFolder.getChildFile ("999-0000abcd-1.karvelo");
    const auto junk = recoveryFolder.getChildFile ("998-0000abcd-1.karvelo");
    ASSERT_TRUE (running.replaceWithData (fileImageOf (variedBlock (3)).begin(), 146));
    ASSERT_TRUE (junk.replaceWithText ("not a preset"));
    const auto lock = open (recoveryFolder.getChildFile ("999-0000abcd.lock").getFullPathName().toRawUTF8(),
                            O_RDWR | O_CREAT, 0600);
    ASSERT_EQ (flock (lock, LOCK_EX), 0);

    start ({ writePresetFile ("Set.karvelo", variedBlock (4)).getFullPathName() }, { Answer::no });
    EXPECT_EQ (shown() + " / " + desktopWindows(), question (1) + " / Karvelo Editor Set.karvelo");
    EXPECT_EQ (kept(),
               juce::Array<ByteArray> ({ HexFile::contentsOf (junk), fileImageOf (variedBlock (3)) }));
    stop();
    close (lock);
    junk.deleteFile();

    // Its lock let go (the editor ended), its preset is offered.
    start ({}, { Answer::yes });
    EXPECT_EQ (shown(), question (1));
    EXPECT_EQ (presetOf (window (0)).getData(), variedBlock (3));

    // A quit the user answered leaves nothing behind, lock included.
    desktop->answers = { Answer::no };
    invoke (CommandIDs::quit);
    stop();
    EXPECT_EQ (recoveryFolder.findChildFiles (juce::File::findFiles, false).size(), 0);
}
