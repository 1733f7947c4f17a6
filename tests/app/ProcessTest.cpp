#include "ApplicationFixture.h"
#include "EditorProcess.h"

#include <csignal>
#include <sys/wait.h>

namespace
{
using Answer = DesktopServices::Answer;

// The editor program run as a child process, with a data folder (and so a recovery folder) of the
// test's own.
class Process : public ApplicationFixture
{
protected:
    std::map<juce::String, std::optional<juce::String>>
    environmentWith (std::optional<juce::String> display) const
    {
        return { { "DISPLAY", display }, { "XDG_DATA_HOME", dataHome.getFullPathName() } };
    }

    juce::File childRecoveryFolder() const { return dataHome.getChildFile ("karvelo-editor/recovery"); }

    juce::Array<ByteArray> keptByChild() const
    {
        juce::Array<ByteArray> contents;

        for (const auto& file :
             childRecoveryFolder().findChildFiles (juce::File::findFiles, false, "*.karvelo"))
            contents.add (contentsOf (file));

        return contents;
    }

    void deleteKept() const
    {
        for (const auto& file :
             childRecoveryFolder().findChildFiles (juce::File::findFiles, false, "*.karvelo"))
            file.deleteFile();
    }

    static bool exitedWith (std::optional<int> status, int code)
    {
        return status.has_value() && WIFEXITED (*status) && WEXITSTATUS (*status) == code;
    }

    juce::File dataHome = folder.getChildFile ("data");
};
} // namespace

TEST_F (Process, NoDisplay)
{
    const std::pair<std::optional<juce::String>, juce::String> cases[] = {
        { std::nullopt, "cannot open the X display (DISPLAY is not set)\n" },
        { juce::String (":99999"), "cannot open the X display \":99999\"\n" }
    };

    for (const auto& [display, line] : cases)
    {
        EditorProcess editor ({}, environmentWith (display), folder.get());
        EXPECT_TRUE (exitedWith (editor.waitForEnd(), 1)) << line;
        EXPECT_EQ (editor.getErrors(), line);
        EXPECT_EQ (editor.getOutput(), "");
    }
}

TEST_F (Process, HelpAndVersion)
{
    EditorProcess help ({ "Some.karvelo", "--help", "--version" }, environmentWith (std::nullopt),
                        folder.get());
    EXPECT_TRUE (exitedWith (help.waitForEnd(), 0));
    EXPECT_TRUE (help.getOutput().startsWith ("Usage: Karvelo Editor [PRESET FILE]...\n"))
        << help.getOutput();
    EXPECT_EQ (help.getErrors(), "");

    EditorProcess version ({ "--version" }, environmentWith (std::nullopt), folder.get());
    EXPECT_TRUE (exitedWith (version.waitForEnd(), 0));
    EXPECT_EQ (version.getOutput(), "Karvelo Editor 1.0.7\n");
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
        ASSERT_TRUE (display.getName().isNotEmpty()) << "no Xvfb";
        EditorProcess editor ({}, environmentWith (display.getName()), folder.get());
        {
            // The user clicks the box and types 99, again if the window was not ready for it yet. The
            // user's own connection is closed before the display may go.
            DisplayUser user (display.getName());
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

        ASSERT_EQ (keptByChild(), keptEdit);

        // What the timer wrote goes: only the end itself can write it again.
        deleteKept();

        if (ending != 0)
            editor.sendSignal (ending);
        else
            display.end();

        const auto status = editor.waitForEnd();
        ASSERT_TRUE (status.has_value()) << "still running";

        if (ending != 0)
            EXPECT_TRUE (WIFSIGNALED (*status) && WTERMSIG (*status) == ending);
        else
            EXPECT_TRUE (exitedWith (status, 1));

        EXPECT_EQ (keptByChild(), keptEdit) << editor.getErrors();

        if (ending != 0)
            deleteKept();
    }

    // The next start offers what the last one left.
    recoveryFolder = childRecoveryFolder();
    start ({}, { Answer::yes });
    EXPECT_EQ (presetOf (window (0)).getData(), edited);
}
