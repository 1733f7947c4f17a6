#include "ApplicationFixture.h"
#include "EditorProcess.h"

namespace
{
using Answer = DesktopServices::Answer;

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
