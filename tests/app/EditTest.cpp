#include "ApplicationFixture.h"
#include "GuiTestSupport.h"
#include "app/CommandIDs.h"
#include "model/KARVELOControlMap.h"

namespace
{
using Answer = DesktopServices::Answer;

class Edit : public ApplicationFixture
{
protected:
    // A command's name as the window gives it, in brackets when disabled.
    static juce::String item (MainWindow& w, juce::CommandID command)
    {
        juce::ApplicationCommandInfo info (command);
        w.getCommandInfo (command, info);
        return (info.flags & juce::ApplicationCommandInfo::isDisabled) != 0 ? "(" + info.shortName + ")"
                                                                            : info.shortName;
    }

    static juce::String undoRedo (MainWindow& w)
    {
        return item (w, CommandIDs::undo) + " / " + item (w, CommandIDs::redo);
    }

    // The items of a menu of the menu bar, or of its submenu with that name, as the user sees them.
    juce::String menu (const juce::String& name, const juce::String& submenu = {})
    {
        const auto names = app->getMenuModel()->getMenuBarNames();
        const auto bar = app->getMenuModel()->getMenuForIndex (names.indexOf (name), name);
        auto popup = bar;
        juce::StringArray items;

        for (juce::PopupMenu::MenuItemIterator it (bar); it.next();)
            if (submenu.isNotEmpty() && it.getItem().text == submenu)
                popup = *it.getItem().subMenu;

        for (juce::PopupMenu::MenuItemIterator it (popup); it.next();)
            if (const auto& i = it.getItem(); ! i.isSeparator)
                items.add (i.isEnabled ? i.text : "(" + i.text + ")");

        return items.joinIntoString (" | ");
    }

    // The channel, type and number of each control of a strip, in reading order.
    static ByteArray stripOf (const ByteArray& block, int strip)
    {
        ByteArray bytes;

        for (auto& control : KARVELOControlMap::getControls())
            if (control.strip == strip)
                for (auto offset : { control.channelOffset, control.typeOffset, control.numberOffset })
                    bytes.add (offset >= 0 ? block[offset] : 0);

        return bytes;
    }

    // Gives the keyboard focus to a box, with its editor open if asked.
    static bool focus (juce::Label& box, bool openEditor = false)
    {
        box.getTopLevelComponent()->toFront (true);
        return MessageLoop::runUntil (
            [&]
            {
                if (openEditor)
                    box.showEditor();
                else
                    box.grabKeyboardFocus();

                return box.hasKeyboardFocus (true) && (box.getCurrentTextEditor() != nullptr) == openEditor;
            },
            2000);
    }
};
} // namespace

TEST_F (Edit, UndoRedo)
{
    start();
    auto& w = window (0);
    auto& panel = panelOf (w);
    const auto factory = factoryPresetBlock();
    EXPECT_EQ (undoRedo (w), "(Undo) / (Redo)");

    panel.getKnobView (7).getCcBox().setValue (74, juce::sendNotificationSync);
    MessageLoop::drain();
    EXPECT_EQ (undoRedo (w), "Undo CC of strip 3 knob 2 / (Redo)");
    EXPECT_TRUE (w.hasUnsavedEdits());
    panel.getSwitchView (0).getTypeButton().triggerClick();
    MessageLoop::drain();
    EXPECT_EQ (undoRedo (w), "Undo Type of strip 1 mute button / (Redo)");
    const auto edited = presetOf (w).getData();

    // The controller's preset replaces the edits, as one step.
    controller.setBlock (variedBlock (2));
    invoke (w, CommandIDs::loadFromHardware);
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return presetOf (w).getData() == variedBlock (2); }));
    MessageLoop::drain();
    EXPECT_EQ (undoRedo (w), "Undo Load From Hardware / (Redo)");

    invoke (w, CommandIDs::undo);
    EXPECT_EQ (presetOf (w).getData(), edited);
    EXPECT_EQ (undoRedo (w), "Undo Type of strip 1 mute button / Redo Load From Hardware");
    invoke (w, CommandIDs::undo);
    invoke (w, CommandIDs::undo);
    MessageLoop::drain();
    EXPECT_EQ (presetOf (w).getData(), factory);
    EXPECT_EQ (panel.getKnobView (7).getCcBox().getValue(), factory[15]) << "the box follows the undo";
    EXPECT_EQ (undoRedo (w), "(Undo) / Redo CC of strip 3 knob 2");
    EXPECT_FALSE (w.hasUnsavedEdits()) << "back at the state the window was opened with";

    // Saved after a redo: undoing past the save is an edit again, redoing back to it is none.
    invoke (w, CommandIDs::redo);
    desktop->files = { folder.getChildFile ("Saved.karvelo") };
    invoke (w, CommandIDs::save);
    EXPECT_EQ (shown(), "save Select filename to save: *.karvelo");
    EXPECT_FALSE (w.hasUnsavedEdits());
    invoke (w, CommandIDs::undo);
    EXPECT_TRUE (w.hasUnsavedEdits());
    invoke (w, CommandIDs::redo);
    EXPECT_FALSE (w.hasUnsavedEdits());

    // A file opened into the window starts a history of its own.
    desktop->answers = { Answer::no };
    w.openFile (writePresetFile ("Other.karvelo", variedBlock (3)));
    EXPECT_EQ (shown(), "ask Save Document: Save Preset: Saved.karvelo");
    EXPECT_EQ (presetOf (w).getData(), variedBlock (3));
    EXPECT_EQ (undoRedo (w), "(Undo) / (Redo)");
    EXPECT_FALSE (w.hasUnsavedEdits());

    // A load from the controller is an edit, which a file that cannot be opened leaves alone.
    controller.setBlock (variedBlock (9));
    invoke (w, CommandIDs::loadFromHardware);
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return presetOf (w).getData() == variedBlock (9); }));
    EXPECT_TRUE (w.hasUnsavedEdits());
    desktop->answers = { Answer::no };
    w.openFile (folder.getChildFile ("Missing.karvelo"));
    EXPECT_EQ (shown (2),
               "ask Save Document: Save Preset: Other.karvelo | warning Karvelo Editor: Error Opening File.");
    EXPECT_TRUE (w.hasUnsavedEdits());
    invoke (w, CommandIDs::undo);
    EXPECT_FALSE (w.hasUnsavedEdits());

    // An open entry can be taken back, and redone, with the keys.
    auto& box = panel.getKnobView (0).getCcBox();
    const auto before = (int) variedBlock (3)[1];
    ASSERT_TRUE (focus (box, true));

    GuiTestSupport::type (*box.getCurrentTextEditor(), "42");
    EXPECT_EQ (undoRedo (w), "Undo / Redo Load From Hardware");

    const auto command = juce::ModifierKeys::commandModifier;
    const auto press = [&] (juce::KeyPress key)
    {
        const auto used = w.getPeer()->handleKeyPress (key);
        MessageLoop::drain();
        return used;
    };

    ASSERT_TRUE (press (juce::KeyPress ('z', command, 0)));
    EXPECT_EQ (box.getCurrentTextEditor(), nullptr);
    EXPECT_EQ (box.getValue(), before);
    EXPECT_EQ (undoRedo (w), "(Undo) / Redo CC of strip 1 knob 1");
    ASSERT_TRUE (press (juce::KeyPress ('y', command, 0)));
    EXPECT_EQ (box.getValue(), 42);
    ASSERT_TRUE (press (juce::KeyPress ('z', command, 0)));
    ASSERT_TRUE (press (juce::KeyPress ('z', command | juce::ModifierKeys::shiftModifier, 0)));
    EXPECT_EQ (box.getValue(), 42);
    EXPECT_EQ (undoRedo (w), "Undo CC of strip 1 knob 1 / (Redo)");
}

TEST_F (Edit, SetEveryChannel)
{
    start();
    auto& w = window (0);
    const auto factory = factoryPresetBlock();
    const juce::String asked = "entry Set Every Channel: The MIDI channel, 1 to 16, for all 57 controls:";
    const auto refused = [&] (const juce::String& why)
    {
        return asked + " | warning Karvelo Editor: " + why
               + " Enter a number from 1 to 16; no channel was changed. | ";
    };

    // Out of range, empty or cancelled: nothing changes. "1x6" could only be typed as "16"; then 5:
    // one step each, every control's channel and nothing else.
    desktop->entries = { "17", "0", "", std::nullopt, "1x6", "005" };

    for (int i = 0; i < 6; ++i)
        if (invoke (w, CommandIDs::setEveryChannel); i == 3)
        {
            EXPECT_EQ (presetOf (w).getData(), factory);
            EXPECT_EQ (undoRedo (w), "(Undo) / (Redo)");
        }

    EXPECT_EQ (shown(), refused ("\"17\" is not a MIDI channel.") + refused ("\"0\" is not a MIDI channel.")
                            + refused ("No channel was entered.") + asked + " | " + asked + " | " + asked);
    auto expected = factory;

    for (auto channel : { 4, 15 })
    {
        for (auto& control : KARVELOControlMap::getControls())
            expected.set (control.channelOffset, (juce::uint8) channel);

        MessageLoop::drain();
        EXPECT_EQ (presetOf (w).getData(), expected);
        EXPECT_EQ (panelOf (w).getFaderView (8).getChannelBox().getValue(), channel + 1);
        EXPECT_EQ (undoRedo (w), channel == 4 ? "Undo Set Every Channel / (Redo)"
                                              : "Undo Set Every Channel / Redo Set Every Channel");
        invoke (w, CommandIDs::undo);
    }

    EXPECT_EQ (presetOf (w).getData(), factory);
    EXPECT_FALSE (w.hasUnsavedEdits());
}

TEST_F (Edit, CopyAndPasteStrip)
{
    start ({ writePresetFile ("Source.karvelo", variedBlock (1)).getFullPathName() });
    invoke (CommandIDs::newDocument);
    auto &source = window (0), &target = window (1);
    const auto factory = factoryPresetBlock();

    // Nothing focused in the window, then the master fader: no strip.
    EXPECT_EQ (item (source, CommandIDs::copyStrip) + " " + item (source, CommandIDs::pasteStrip),
               "(Copy Strip) (Paste Strip)");

    ASSERT_TRUE (focus (panelOf (source).getFaderView (8).getCcBox()));

    EXPECT_EQ (menu ("Edit"), "(Undo) | (Redo) | (Copy Strip) | (Paste Strip) | Set Every Channel...");

    // Strip 2 of the source, by its record-arm button's channel box (third row of switch views).
    ASSERT_TRUE (focus (panelOf (source).getSwitchView (16 + 1).getChannelBox()));
    EXPECT_EQ (menu ("Edit"), "(Undo) | (Redo) | Copy Strip | (Paste Strip) | Set Every Channel...");
    invoke (source, CommandIDs::copyStrip);

    // Onto strip 5 of the other window, by a knob's number box.
    ASSERT_TRUE (focus (panelOf (target).getKnobView (3 * 4 + 2).getCcBox(), true));
    EXPECT_EQ (menu ("Edit"), "Undo | (Redo) | Copy Strip | Paste Strip | Set Every Channel...")
        << "the entry open in the box can be taken back";
    invoke (target, CommandIDs::pasteStrip);
    const auto copied = stripOf (variedBlock (1), 2);
    EXPECT_NE (stripOf (factory, 5), copied);

    for (int strip = 1; strip <= KARVELOControlMap::masterStrip; ++strip)
        EXPECT_EQ (stripOf (presetOf (target).getData(), strip),
                   strip == 5 ? copied : stripOf (factory, strip));
    EXPECT_EQ (undoRedo (target), "Undo Paste Strip / (Redo)");
    EXPECT_EQ (undoRedo (source), "(Undo) / (Redo)");
    invoke (target, CommandIDs::undo);
    EXPECT_EQ (presetOf (target).getData(), factory);
    EXPECT_FALSE (target.hasUnsavedEdits());
}

TEST_F (Edit, RecentFiles)
{
    start();
    EXPECT_EQ (menu ("File", "Open Recent"), "(Clear List)");

    // Opened, opened into a window, saved as, saved: newest first, each once, kept for the next start.
    const auto one = writePresetFile ("One.karvelo", variedBlock (1));
    const auto two = writePresetFile ("Two.karvelo", variedBlock (2));
    const auto three = folder.getChildFile ("Three.karvelo");
    const auto path = [] (const juce::File& file) { return file.getFullPathName() + " | "; };
    desktop->files = { one, three };
    invoke (CommandIDs::openPreset);
    window (0).openFile (two);
    invoke (window (1), CommandIDs::saveAs);
    invoke (window (0), CommandIDs::save);
    stop();
    start();
    EXPECT_EQ (menu ("File", "Open Recent"), path (two) + path (three) + path (one) + "Clear List");
    auto& model = *app->getMenuModel();
    model.menuItemSelected (MainMenuModel::firstRecentFileItem + 2, 0);
    EXPECT_EQ (presetOf (window (1)).getData(), variedBlock (1));
    EXPECT_EQ (menu ("File", "Open Recent"), path (one) + path (two) + path (three) + "Clear List");

    // A file gone: the user is told, and it leaves the list.
    ASSERT_TRUE (three.deleteFile());
    model.menuItemSelected (MainMenuModel::firstRecentFileItem + 2, 0);
    EXPECT_EQ (shown(), "warning Karvelo Editor: The file \"" + three.getFullPathName()
                            + "\" no longer exists. It has been removed from the recent files.");
    EXPECT_EQ (app->getWindowManager()->getNumWindows(), 2);
    stop();
    start();
    EXPECT_EQ (menu ("File", "Open Recent"), path (one) + path (two) + "Clear List");
    app->getMenuModel()->menuItemSelected (MainMenuModel::clearRecentFilesItem, 0);
    stop();
    start();
    EXPECT_EQ (menu ("File", "Open Recent"), "(Clear List)");
}
