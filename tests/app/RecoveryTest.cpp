#include "ApplicationFixture.h"
#include "app/CommandIDs.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
class Recovery : public ApplicationFixture
{
protected:
    // The contents of the presets kept in the recovery folder, by file name.
    juce::Array<ByteArray> kept() const
    {
        auto files = recoveryFolder.findChildFiles (juce::File::findFiles, false, "*.karvelo");
        files.sort();
        juce::Array<ByteArray> contents;

        for (const auto& file : files)
            contents.add (HexFile::contentsOf (file));

        return contents;
    }

    bool keptBecomes (const juce::Array<ByteArray>& expected) const
    {
        return MessageLoop::runUntil ([&] { return kept() == expected; });
    }

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
};
} // namespace

TEST_F (Recovery, RestartOffersWhatWasLeft)
{
    start();
    invoke (CommandIDs::newDocument);
    invoke (CommandIDs::newDocument);
    auto first = edit (window (0), 0, 60);
    const auto second = edit (window (1), 1, 61);
    EXPECT_TRUE (keptBecomes ({ fileImageOf (first), fileImageOf (second) })); // not the unedited third
    first = edit (window (0), 2, 62);
    const juce::Array<ByteArray> images{ fileImageOf (first), fileImageOf (second) };
    ASSERT_TRUE (keptBecomes (images));
    struct stat status = {};
    ASSERT_EQ (stat (recoveryFolder.getFullPathName().toRawUTF8(), &status), 0);
    EXPECT_EQ (status.st_mode & 0777, 0700u) << "not for other users' eyes";
    stop(); // the windows were never answered for: their edits stay

    start ({}, { Answer::cancel }); // Later
    EXPECT_EQ (shown(), question (2));
    EXPECT_EQ (desktopWindows(), "Karvelo Editor Untitled 1");
    EXPECT_EQ (kept(), images);
    stop();

    // Reopened as untitled windows with unsaved edits, and kept again under this editor's names
    // before the old files go; kept until saved or closed unsaved.
    start ({}, { Answer::yes });
    EXPECT_EQ (shown(), question (2));
    ASSERT_EQ (desktopWindows(), "Karvelo Editor Untitled 1, Karvelo Editor Untitled 2");
    EXPECT_EQ (presetOf (window (0)).getData(), first);
    EXPECT_EQ (presetOf (window (1)).getData(), second);
    EXPECT_TRUE (window (0).hasUnsavedEdits() && window (1).hasUnsavedEdits());
    EXPECT_EQ (kept(), images);
    desktop->files = { folder.getChildFile ("Saved.karvelo") };
    invoke (window (0), CommandIDs::save);
    EXPECT_EQ (kept(), juce::Array<ByteArray> ({ fileImageOf (second) }));
    desktop->answers = { Answer::no };
    invoke (window (1), CommandIDs::closeWindow);
    EXPECT_EQ (kept(), juce::Array<ByteArray>());

    const auto last = edit (window (0), 0, 63);
    EXPECT_TRUE (keptBecomes ({ fileImageOf (last) }));
    stop();

    // Another editor's presets while it runs (its lock is held), and a file that is no preset, are
    // neither offered nor touched; a preset file given on the command line opens first.
    const auto running = recoveryFolder.getChildFile ("999-0000abcd-1.karvelo");
    const auto junk = recoveryFolder.getChildFile ("998-0000abcd-1.karvelo");
    ASSERT_TRUE (running.replaceWithData (fileImageOf (variedBlock (3)).begin(), 146));
    ASSERT_TRUE (junk.replaceWithText ("not a preset"));
    const auto lock = open (recoveryFolder.getChildFile ("999-0000abcd.lock").getFullPathName().toRawUTF8(),
                            O_RDWR | O_CREAT, 0600);
    ASSERT_EQ (flock (lock, LOCK_EX), 0);

    start ({ writePresetFile ("Set.karvelo", variedBlock (4)).getFullPathName() }, { Answer::no });
    EXPECT_EQ (shown(), question (1)); // discarded
    EXPECT_EQ (desktopWindows(), "Karvelo Editor Set.karvelo");
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
