#include "ApplicationFixture.h"
#include "GuiTestSupport.h"
#include "app/CommandIDs.h"

namespace
{
using Answer = DesktopServices::Answer;

/** Scenarios of the main windows: their titles and places, opening, saving, closing and quitting. */
class DocumentWindows : public ApplicationFixture
{
protected:
    /** Puts a controller number into a knob's box, as an entry the user commits does. */
    void editKnob (MainWindow& mainWindow, int knob, int number)
    {
        panelOf (mainWindow).getKnobView (knob).getCcBox().setValue (number, juce::sendNotificationSync);
    }

    /** How many windows of that title the desktop shows: a closed window must be gone from it. */
    static int windowsOnDesktopNamed (const juce::String& title)
    {
        int count = 0;

        for (int i = 0; i < juce::Desktop::getInstance().getNumComponents(); ++i)
            if (juce::Desktop::getInstance().getComponent (i)->getName() == title)
                ++count;

        return count;
    }

    bool isBringAllToFrontEnabled() const
    {
        juce::ApplicationCommandInfo info (CommandIDs::bringAllToFront);
        const auto* target =
            app->getCommandManager()->getTargetForCommand (CommandIDs::bringAllToFront, info);
        return target != nullptr && (info.flags & juce::ApplicationCommandInfo::isDisabled) == 0;
    }

    /** Brings the window to the front and waits until it is the active one. Tests running beside
        this one share the X server and can take the focus at any time: call it just before the
        step that depends on it, since nothing changes which window is active until the message
        loop runs again. */
    bool makeActive (MainWindow& mainWindow)
    {
        mainWindow.toFront (true);
        return MessageLoop::runUntil (
            [&] { return app->getWindowManager()->getActiveWindow().get() == &mainWindow; }, 2000);
    }

    void handOver (const juce::File& file)
    {
        app->anotherInstanceStarted ("\"" + file.getFullPathName() + "\"");
        settle (50);
    }
};
} // namespace

TEST_F (DocumentWindows, UntitledWindowsCountEveryWindowEverAddedAndArePlacedByHowManyAreOpen)
{
    start();
    invoke (CommandIDs::newDocument);

    ASSERT_EQ (windows().size(), 2);
    EXPECT_EQ (window (1).getName(), "Karvelo Editor Untitled 2");
    EXPECT_EQ (window (1).getPosition(), juce::Point<int> (45, 90));
    EXPECT_EQ (presetOf (window (1)).getData(), factoryPresetBlock());

    // Even an unedited window asks before it closes.
    desktop->answers = { Answer::no };
    invoke (window (1), CommandIDs::closeWindow);

    ASSERT_EQ (desktop->questions.size(), 1u);
    EXPECT_EQ (desktop->questions[0].title, "Save Document");
    EXPECT_EQ (desktop->questions[0].message, "Save Preset: Untitled 2");
    EXPECT_EQ (titles(), listOf ({ "Karvelo Editor Untitled 1" }));
    EXPECT_EQ (windowsOnDesktopNamed ("Karvelo Editor Untitled 2"), 0);

    invoke (CommandIDs::newDocument);

    ASSERT_EQ (windows().size(), 2);
    EXPECT_EQ (window (1).getName(), "Karvelo Editor Untitled 3");
    EXPECT_EQ (window (1).getPosition(), juce::Point<int> (45, 90));
    EXPECT_EQ (desktop->quitRequests, 0);
}

TEST_F (DocumentWindows, SaveOnAnUntitledWindowAsksForAFileOnceAndThenWritesItDirectly)
{
    start();
    const auto file = folder.getChildFile ("Mix.karvelo");
    auto expected = factoryPresetBlock();

    editKnob (window (0), 0, 77);
    expected.set (1, 77);
    desktop->filesToSave = { file };
    invoke (window (0), CommandIDs::save);

    ASSERT_EQ (desktop->saveDialogs.size(), 1u);
    EXPECT_EQ (desktop->saveDialogs[0].title, "Select filename to save");
    EXPECT_EQ (desktop->saveDialogs[0].message, "*.karvelo");
    EXPECT_EQ (contentsOf (file), fileImageOf (expected));
    EXPECT_EQ (contentsOf (file).size(), 146);
    EXPECT_EQ (window (0).getName(), "Karvelo Editor Mix");

    editKnob (window (0), 1, 78);
    expected.set (3, 78);
    invoke (window (0), CommandIDs::save);

    EXPECT_EQ (desktop->saveDialogs.size(), 1u);
    EXPECT_EQ (contentsOf (file), fileImageOf (expected));

    // The question names the file in full; Yes writes it without a dialog, and the last window
    // closing ends the application.
    editKnob (window (0), 2, 79);
    expected.set (5, 79);
    desktop->answers = { Answer::yes };
    invoke (window (0), CommandIDs::closeWindow);

    ASSERT_EQ (desktop->questions.size(), 1u);
    EXPECT_EQ (desktop->questions[0].message, "Save Preset: Mix.karvelo");
    EXPECT_EQ (desktop->saveDialogs.size(), 1u);
    EXPECT_EQ (contentsOf (file), fileImageOf (expected));
    EXPECT_TRUE (windows().isEmpty());
    EXPECT_EQ (windowsOnDesktopNamed ("Karvelo Editor Mix"), 0);
    EXPECT_EQ (desktop->quitRequests, 1);

    settle();
    EXPECT_TRUE (desktop->warnings.empty());
}

TEST_F (DocumentWindows, OpenPresetGivesEachChosenFileItsOwnWindowThatSavesBackToIt)
{
    start();
    const auto drums = writePresetFile ("Drums.karvelo", variedBlock (1));
    const auto keys = writePresetFile ("Keys.karvelo", variedBlock (2));

    desktop->filesToOpen = { drums, keys, std::nullopt };
    invoke (CommandIDs::openPreset);
    invoke (CommandIDs::openPreset);
    invoke (CommandIDs::openPreset);
    settle (50);

    ASSERT_EQ (desktop->openDialogs.size(), 3u);
    EXPECT_EQ (desktop->openDialogs[0].title, "Select Filename to open");
    EXPECT_EQ (desktop->openDialogs[0].message, "*.karvelo");
    ASSERT_EQ (windows().size(), 3);
    EXPECT_EQ (window (1).getName(), "Karvelo Editor Drums.karvelo");
    EXPECT_EQ (window (2).getName(), "Karvelo Editor Keys.karvelo");
    EXPECT_EQ (window (2).getPosition(), juce::Point<int> (60, 105));
    EXPECT_EQ (presetOf (window (1)).getData(), variedBlock (1));
    EXPECT_EQ (presetOf (window (2)).getData(), variedBlock (2));

    // Windows opened on files count in the numbering of untitled ones.
    invoke (CommandIDs::newDocument);
    EXPECT_EQ (window (3).getName(), "Karvelo Editor Untitled 4");

    auto expected = variedBlock (1);
    editKnob (window (1), 5, 100);
    expected.set (11, 100);
    invoke (window (1), CommandIDs::save);

    EXPECT_TRUE (desktop->saveDialogs.empty());
    EXPECT_EQ (contentsOf (drums), fileImageOf (expected));
    EXPECT_EQ (contentsOf (keys), fileImageOf (variedBlock (2)));

    // Save As always asks, and shows the new file's name without its extension.
    const auto copy = folder.getChildFile ("Keys 2.karvelo");
    desktop->filesToSave = { copy };
    invoke (window (2), CommandIDs::saveAs);

    EXPECT_EQ (contentsOf (copy), fileImageOf (variedBlock (2)));
    EXPECT_EQ (window (2).getName(), "Karvelo Editor Keys 2");

    settle();
    EXPECT_TRUE (desktop->warnings.empty());
}

TEST_F (DocumentWindows, AFileThatCannotBeOpenedWarnsYetGetsAWindowOnTheFactoryPreset)
{
    start();

    const auto image = fileImageOf (variedBlock (3));
    const auto truncated = folder.getChildFile ("Short.karvelo");
    ASSERT_TRUE (truncated.replaceWithData (image.begin(), 145));

    // Valid but for the last byte: nothing of it may be taken.
    auto invalidImage = image;
    invalidImage.set (7 + 137, 0x80);
    const auto invalid = folder.getChildFile ("Invalid.karvelo");
    ASSERT_TRUE (invalid.replaceWithData (invalidImage.begin(), static_cast<size_t> (invalidImage.size())));

    const juce::Array<juce::File> files{ folder.getChildFile ("Missing.karvelo"), truncated, invalid };

    for (int i = 0; i < files.size(); ++i)
    {
        SCOPED_TRACE (files[i].getFileName().toStdString());
        desktop->filesToOpen = { files[i] };
        invoke (CommandIDs::openPreset);

        ASSERT_TRUE (
            MessageLoop::runUntil ([&] { return desktop->warnings.size() == static_cast<size_t> (i + 1); }));
        EXPECT_EQ (desktop->warnings.back().title, "Karvelo Editor");
        EXPECT_EQ (desktop->warnings.back().message, "Error Opening File.");
        ASSERT_EQ (windows().size(), i + 2);
        EXPECT_EQ (window (i + 1).getName(), "Karvelo Editor " + files[i].getFileName());
        EXPECT_EQ (presetOf (window (i + 1)).getData(), factoryPresetBlock());
    }
}

TEST_F (DocumentWindows, ClosingSavesOnYesDropsOnNoAndStaysOnCancelOrWhenTheSaveDoesNotHappen)
{
    start();
    invoke (CommandIDs::newDocument);
    invoke (CommandIDs::newDocument);
    editKnob (window (1), 0, 50);
    editKnob (window (2), 0, 60);
    const auto edited = presetOf (window (2)).getData();

    desktop->answers = { Answer::cancel };
    invoke (window (2), CommandIDs::closeWindow);
    EXPECT_EQ (windows().size(), 3);

    // Yes, and the Save As dialog is cancelled.
    desktop->answers = { Answer::yes };
    desktop->filesToSave = { std::nullopt };
    invoke (window (2), CommandIDs::closeWindow);
    EXPECT_EQ (windows().size(), 3);

    // Yes, into a file that cannot be written: the window stays open, named after the file chosen.
    desktop->answers = { Answer::yes };
    desktop->filesToSave = { folder.getChildFile ("No Such Folder").getChildFile ("Lost.karvelo") };
    invoke (window (2), CommandIDs::closeWindow);
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return ! desktop->warnings.empty(); }));
    EXPECT_EQ (desktop->warnings[0].title, "Karvelo Editor");
    EXPECT_EQ (desktop->warnings[0].message, "Error Saving File.");
    ASSERT_EQ (windows().size(), 3);
    EXPECT_EQ (window (2).getName(), "Karvelo Editor Lost");

    // Yes again: Save now tries that same file (its folder does not exist, so Save As is asked).
    const auto file = folder.getChildFile ("Third.karvelo");
    desktop->answers = { Answer::yes };
    desktop->filesToSave = { file };
    invoke (window (2), CommandIDs::closeWindow);
    EXPECT_EQ (contentsOf (file), fileImageOf (edited));
    EXPECT_EQ (titles(), listOf ({ "Karvelo Editor Untitled 1", "Karvelo Editor Untitled 2" }));
    EXPECT_EQ (windowsOnDesktopNamed ("Karvelo Editor Third"), 0);

    desktop->answers = { Answer::no };
    invoke (window (1), CommandIDs::closeWindow);
    EXPECT_EQ (titles(), listOf ({ "Karvelo Editor Untitled 1" }));
    EXPECT_EQ (folder.get().getNumberOfChildFiles (juce::File::findFiles), 1);

    std::vector<juce::String> asked;

    for (auto& question : desktop->questions)
        asked.push_back (question.title + ": " + question.message);

    EXPECT_EQ (asked,
               listOf ({ "Save Document: Save Preset: Untitled 3", "Save Document: Save Preset: Untitled 3",
                         "Save Document: Save Preset: Untitled 3", "Save Document: Save Preset: Lost.karvelo",
                         "Save Document: Save Preset: Untitled 2" }));
    EXPECT_EQ (desktop->quitRequests, 0);
}

TEST_F (DocumentWindows, QuitAsksEachWindowInTurnInFrontAndStopsWhereOneStays)
{
    start();
    invoke (CommandIDs::newDocument);
    invoke (CommandIDs::newDocument);

    desktop->answers = { Answer::no, Answer::cancel };
    invoke (CommandIDs::quit);

    ASSERT_EQ (desktop->questions.size(), 2u);
    EXPECT_EQ (desktop->questions[0].message, "Save Preset: Untitled 1");
    EXPECT_EQ (desktop->questions[0].frontWindow, "Karvelo Editor Untitled 1");
    EXPECT_EQ (desktop->questions[1].message, "Save Preset: Untitled 2");
    EXPECT_EQ (desktop->questions[1].frontWindow, "Karvelo Editor Untitled 2");
    EXPECT_EQ (titles(), listOf ({ "Karvelo Editor Untitled 2", "Karvelo Editor Untitled 3" }));
    EXPECT_EQ (windowsOnDesktopNamed ("Karvelo Editor Untitled 1"), 0);
    EXPECT_EQ (desktop->quitRequests, 0);

    // A Yes whose save does not happen stops the quit too.
    desktop->answers = { Answer::yes };
    desktop->filesToSave = { std::nullopt };
    app->systemRequestedQuit();
    EXPECT_EQ (windows().size(), 2);
    EXPECT_EQ (desktop->quitRequests, 0);

    desktop->answers = { Answer::no, Answer::no };
    app->systemRequestedQuit();
    EXPECT_TRUE (windows().isEmpty());
    EXPECT_EQ (desktop->quitRequests, 1);

    // Nothing left to ask.
    invoke (CommandIDs::quit);
    EXPECT_EQ (desktop->questions.size(), 5u);
    EXPECT_EQ (desktop->quitRequests, 2);
}

TEST_F (DocumentWindows, BringAllToFrontIsEnabledOnlyWhileAMainWindowIsOpen)
{
    start();
    EXPECT_TRUE (isBringAllToFrontEnabled());

    desktop->answers = { Answer::no };
    invoke (window (0), CommandIDs::closeWindow);
    EXPECT_EQ (desktop->quitRequests, 1);
    EXPECT_FALSE (isBringAllToFrontEnabled());

    invoke (CommandIDs::newDocument);
    EXPECT_TRUE (isBringAllToFrontEnabled());
    EXPECT_EQ (window (0).getName(), "Karvelo Editor Untitled 2");
    EXPECT_EQ (window (0).getPosition(), juce::Point<int> (30, 75));
}

TEST_F (DocumentWindows, AFileHandedOverWithNoWindowOpenGetsANewWindow)
{
    start();
    desktop->answers = { Answer::no };
    invoke (window (0), CommandIDs::closeWindow);

    handOver (writePresetFile ("Handed Over.karvelo", variedBlock (4)));

    ASSERT_EQ (windows().size(), 1);
    EXPECT_EQ (window (0).getName(), "Karvelo Editor Handed Over.karvelo");
    EXPECT_EQ (presetOf (window (0)).getData(), variedBlock (4));
    EXPECT_TRUE (desktop->warnings.empty());
}

TEST_F (DocumentWindows, AFileHandedOverGoesIntoTheActiveWindowAskingOnlyWhenItsPresetIsNotTheFactorys)
{
    start();
    invoke (CommandIDs::newDocument);
    settle (50); // the new panels settle long before the system can hand a file over

    if (! makeActive (window (0)))
        GTEST_SKIP() << "the X server made no main window active";

    handOver (writePresetFile ("First.karvelo", variedBlock (5)));

    EXPECT_TRUE (desktop->questions.empty());
    ASSERT_EQ (windows().size(), 2);
    EXPECT_EQ (window (0).getName(), "Karvelo Editor First.karvelo");
    EXPECT_EQ (presetOf (window (0)).getData(), variedBlock (5));
    EXPECT_EQ (presetOf (window (1)).getData(), factoryPresetBlock());

    const auto second = writePresetFile ("Second.karvelo", variedBlock (6));
    desktop->answers = { Answer::cancel };

    if (! makeActive (window (0)))
        GTEST_SKIP() << "another program took the focus";

    handOver (second);

    ASSERT_EQ (desktop->questions.size(), 1u);
    EXPECT_EQ (desktop->questions[0].message, "Save Preset: First.karvelo");
    EXPECT_EQ (window (0).getName(), "Karvelo Editor First.karvelo");
    EXPECT_EQ (presetOf (window (0)).getData(), variedBlock (5));

    desktop->answers = { Answer::no };

    if (! makeActive (window (0)))
        GTEST_SKIP() << "another program took the focus";

    handOver (second);

    EXPECT_EQ (desktop->questions.size(), 2u);
    ASSERT_EQ (windows().size(), 2);
    EXPECT_EQ (window (0).getName(), "Karvelo Editor Second.karvelo");
    EXPECT_EQ (presetOf (window (0)).getData(), variedBlock (6));
    EXPECT_TRUE (desktop->warnings.empty());
}

TEST_F (DocumentWindows, AFileHandedOverWhileNoMainWindowIsActiveGetsANewWindow)
{
    start();

    juce::Component elsewhere;
    elsewhere.setSize (200, 100);
    GuiTestSupport::HostWindow other (elsewhere);

    if (! MessageLoop::runUntil ([&] { return app->getWindowManager()->getActiveWindow() == nullptr; }, 2000))
        GTEST_SKIP() << "the X server kept a main window active";

    handOver (writePresetFile ("Elsewhere.karvelo", variedBlock (7)));

    EXPECT_TRUE (desktop->questions.empty());
    ASSERT_EQ (windows().size(), 2);
    EXPECT_EQ (window (0).getName(), "Karvelo Editor Untitled 1");
    EXPECT_EQ (presetOf (window (0)).getData(), factoryPresetBlock());
    EXPECT_EQ (window (1).getName(), "Karvelo Editor Elsewhere.karvelo");
    EXPECT_EQ (presetOf (window (1)).getData(), variedBlock (7));
}
