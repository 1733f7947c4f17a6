#include "ApplicationFixture.h"
#include "GuiTestSupport.h"
#include "app/CommandIDs.h"
#include "model/KARVELOControlMap.h"

namespace
{
class Edit : public ApplicationFixture
{
protected:
    // The items of a menu of the menu bar and of its submenus, each submenu's after its own, as the
    // user sees them for the front window: disabled ones in brackets, ticked ones starred.
    juce::String menu (const juce::String& name, int count = -1)
    {
        const auto bar = app->getMenuModel()->getMenuForIndex (
            app->getMenuModel()->getMenuBarNames().indexOf (name), name);
        juce::StringArray items;

        for (juce::PopupMenu::MenuItemIterator it (bar, true); it.next();)
            if (const auto& i = it.getItem(); ! i.isSeparator)
                items.add ((i.isTicked ? "*" : "") + (i.isEnabled ? i.text : "(" + i.text + ")"));

        return items.joinIntoString (" | ", 0, count);
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

    // Gives the keyboard focus to a box, its editor open.
    static bool focus (juce::Label& box)
    {
        box.getTopLevelComponent()->toFront (true);
        return MessageLoop::runUntil (
            [&]
            {
                box.showEditor();
                return box.hasKeyboardFocus (true);
            },
            2000);
    }
};

using UserSettingsTest = Edit; // for its own XDG config home
} // namespace

// What each step is called and when the edits are unsaved: PresetHistoryTest; a save marking the
// window saved: Recovery.RestartOffersWhatWasLeft. Here the window's part: its commands, its loads
// and opens, the keys in an open entry, and the edits of whole strips and channels.
TEST_F (Edit, UndoCopyAndChannels)
{
    start();
    auto& w = window (0);
    auto& panel = panelOf (w);
    panel.getKnobView (7).getCcBox().setValue (74, juce::sendNotificationSync);
    MessageLoop::drain();

    // The controller's preset replaces the edits, as one step (its name: the Redo below).
    controller.setBlock (variedBlock (2));
    invoke (w, CommandIDs::loadFromHardware);
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return presetOf (w).getData() == variedBlock (2); }));
    MessageLoop::drain();
    invoke (w, CommandIDs::undo);
    invoke (w, CommandIDs::undo);
    MessageLoop::drain();
    EXPECT_EQ (menu ("Edit", 2), "(Undo) | Redo CC of strip 3 knob 2");

    // A file opened into the window starts a history of its own.
    w.openFile (writePresetFile ("Other.karvelo", variedBlock (3)));
    EXPECT_EQ (menu ("Edit", 2), "(Undo) | (Redo)");

    // A load from the controller is an edit (the question says so), which a file that cannot be
    // opened leaves alone.
    controller.setBlock (variedBlock (9));
    invoke (w, CommandIDs::loadFromHardware);
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return presetOf (w).getData() == variedBlock (9); }));
    desktop->answers = { Answer::no };
    w.openFile (folder.getChildFile ("Missing.karvelo"));
    EXPECT_EQ (shown (2),
               "ask Save Document: Save Preset: Other.karvelo | warning Karvelo Editor: Error Opening "
               "File.");
    invoke (w, CommandIDs::undo);

    // An open entry can be taken back, and redone, with the keys.
    auto& box = panel.getKnobView (0).getCcBox();
    ASSERT_TRUE (focus (box));
    GuiTestSupport::type (*box.getCurrentTextEditor(), "42");
    EXPECT_EQ (menu ("Edit", 2), "Undo | Redo Load From Hardware");
    const auto press = [&] (int key, juce::ModifierKeys modifiers = juce::ModifierKeys::commandModifier)
    {
        EXPECT_TRUE (w.getPeer()->handleKeyPress (juce::KeyPress (key, modifiers, 0)));
        MessageLoop::drain();
    };

    press ('z');
    EXPECT_EQ (box.getCurrentTextEditor(), nullptr);
    EXPECT_EQ (menu ("Edit", 2), "(Undo) | Redo CC of strip 1 knob 1");
    press ('y');
    EXPECT_EQ (box.getValue(), 42);
    press ('z');
    press ('z', juce::ModifierKeys::commandModifier | juce::ModifierKeys::shiftModifier);
    EXPECT_EQ (box.getValue(), 42);

    // Copy Strip and Paste Strip, from this window to a new one.
    invoke (CommandIDs::newDocument);
    auto &source = w, &target = window (1);
    const auto factory = HexFile::factoryBlock();

    // The master fader is in no strip.
    ASSERT_TRUE (focus (panelOf (source).getFaderView (8).getCcBox()));
    EXPECT_EQ (menu ("Edit"),
               "Undo CC of strip 1 knob 1 | (Redo) | (Copy Strip) | (Paste Strip) | Set Every Channel...");

    // Strip 2 of the source, by its record-arm button's channel box (third row of switch views).
    ASSERT_TRUE (focus (panelOf (source).getSwitchView (16 + 1).getChannelBox()));
    EXPECT_EQ (menu ("Edit"),
               "Undo CC of strip 1 knob 1 | (Redo) | Copy Strip | (Paste Strip) | Set Every Channel...");
    invoke (source, CommandIDs::copyStrip);

    // Onto strip 5 of the other window, by a knob's number box. (Undo: the entry open in the box.)
    ASSERT_TRUE (focus (panelOf (target).getKnobView (3 * 4 + 2).getCcBox()));
    EXPECT_EQ (menu ("Edit"), "Undo | (Redo) | Copy Strip | Paste Strip | Set Every Channel...");
    invoke (target, CommandIDs::pasteStrip);
    const auto copied = stripOf (presetOf (source).getData(), 2);

    for (int strip = 1; strip <= KARVELOControlMap::masterStrip; ++strip)
        EXPECT_EQ (stripOf (presetOf (target).getData(), strip),
                   strip == 5 ? copied : stripOf (factory, strip));

    // Set Every Channel: out of range, empty or cancelled, nothing changes. "1x6" could only be typed
    // as "16": one step, every control's channel and nothing else.
    const juce::String asked = "entry Set Every Channel: The MIDI channel, 1 to 16, for all 57 controls:";
    const juce::String refused = " Enter a number from 1 to 16; no channel was changed. | ";
    auto expected = presetOf (target).getData();
    desktop->entries = { "17", "", std::nullopt, "1x6" };

    for (int i = 0; i < 4; ++i)
    {
        invoke (target, CommandIDs::setEveryChannel);
        EXPECT_EQ (menu ("Edit", 2), i < 3 ? "Undo Paste Strip | (Redo)" : "Undo Set Every Channel | (Redo)");
    }

    EXPECT_EQ (shown(), asked + " | warning Karvelo Editor: \"17\" is not a MIDI channel." + refused + asked
                            + " | warning Karvelo Editor: No channel was entered." + refused + asked + " | "
                            + asked);

    for (auto& control : KARVELOControlMap::getControls())
        expected.set (control.channelOffset, 15);

    EXPECT_EQ (presetOf (target).getData(), expected);
}

// At a desktop scale of 2 the panel is drawn from its picture rendered at twice the size, pixel for
// pixel, not from its picture made larger: here the corner without views, its title, a screw and
// strip 1's number. Each zoom scales the window and keeps an entry being typed open. The recent
// files' order and length: UserSettingsTest; here what adds to the list, opens from it and clears it.
TEST_F (Edit, ZoomAndRecentFiles)
{
    start();
    auto& w = window (0);
    const juce::Rectangle<int> corner (16, 8, 200, 130);
    const auto sharp =
        juce::ImageFileFormat::loadFrom (
            juce::File (KARVELO_TEST_DATA_DIR).getSiblingFile ("../resources/hardware_background@2x.png"))
            .getClippedImage (corner * 2);
    const auto drawn = panelOf (w).createComponentSnapshot (corner, true, 2.0f);
    ASSERT_EQ (drawn.getBounds(), sharp.getBounds());

    for (int i = 0; i < 400 * 260; ++i)
        ASSERT_EQ (drawn.getPixelAt (i % 400, i / 400), sharp.getPixelAt (i % 400, i / 400)) << i;

    // An entry being typed stays open through a zoom.
    const auto width = w.getWidth();
    auto& box = panelOf (w).getKnobView (0).getCcBox();
    box.showEditor();
    GuiTestSupport::type (*box.getCurrentTextEditor(), "12");
    invoke (CommandIDs::zoom200);
    ASSERT_NE (box.getCurrentTextEditor(), nullptr) << "the entry being typed was closed";
    EXPECT_EQ (box.getCurrentTextEditor()->getText(), "12");
    EXPECT_TRUE (box.getCurrentTextEditor()->hasKeyboardFocus (true));
    box.hideEditor (true);

    // Ctrl+- and Ctrl++ step through the levels and no further, Ctrl+0 is 100 %; a level chosen in
    // the menu is remembered for the next start.
    const auto ctrl = [] (char key, int shift = 0)
    { return juce::KeyPress (key, juce::ModifierKeys::commandModifier | shift, key); };

    for (auto [key, percent] :
         { std::pair (ctrl ('+'), 200), std::pair (ctrl ('-'), 150), std::pair (ctrl ('0'), 100),
           std::pair (ctrl ('-'), 75), std::pair (ctrl ('-'), 75),
           std::pair (ctrl ('+', juce::ModifierKeys::shiftModifier), 100) })
    {
        SCOPED_TRACE (percent);
        GuiTestSupport::pressKeyInWindow (w, key);
        MessageLoop::drain();
        EXPECT_NEAR (w.getPeer()->getBounds().getWidth(), width * percent / 100, 1);
    }

    invoke (CommandIDs::zoom150);
    const auto one = writePresetFile ("One.karvelo", variedBlock (1));
    const auto two = writePresetFile ("Two.karvelo", variedBlock (2));
    const auto three = folder.getChildFile ("Three.karvelo");
    const auto path = [] (const juce::File& file) { return file.getFullPathName() + " | "; };

    // Opened, opened into a window, saved as, saved: newest first, each once, kept for the next start
    // as the zoom is.
    desktop->files = { one, three };
    invoke (CommandIDs::openPreset);
    window (0).openFile (two);
    invoke (window (1), CommandIDs::saveAs);
    invoke (window (0), CommandIDs::save);
    stop();
    EXPECT_EQ (juce::Desktop::getInstance().getGlobalScaleFactor(), 1.0f) << "the desktop was left scaled";
    start();
    EXPECT_TRUE (menu ("View").startsWith ("Zoom | 75 % | 100 % | 125 % | *150 % | 200 %"));
    EXPECT_NEAR (window (0).getPeer()->getBounds().getWidth(), width * 3 / 2, 1);
    EXPECT_TRUE (
        menu ("File").contains ("Open Recent | " + path (two) + path (three) + path (one) + "Clear List"));
    auto& model = *app->getMenuModel();
    model.menuItemSelected (MainMenuModel::firstRecentFileItem + 2, 0);
    EXPECT_EQ (presetOf (window (1)).getData(), variedBlock (1));

    // A file gone: the user is told, and it leaves the list.
    ASSERT_TRUE (three.deleteFile());
    model.menuItemSelected (MainMenuModel::firstRecentFileItem + 2, 0);
    EXPECT_EQ (shown(), "warning Karvelo Editor: The file \"" + three.getFullPathName()
                            + "\" no longer exists. It has been removed from the recent files.");
    EXPECT_EQ (app->getWindowManager()->getNumWindows(), 2);
    EXPECT_TRUE (menu ("File").contains ("Open Recent | " + path (one) + path (two) + "Clear List"));
    model.menuItemSelected (MainMenuModel::clearRecentFilesItem, 0);
    stop();
    start();
    EXPECT_TRUE (menu ("File").contains ("Open Recent | (Clear List)"));
}

// The recent files' order on the way: Edit.ZoomAndRecentFiles.
TEST_F (UserSettingsTest, DamagedSettings)
{
    const auto file = folder.getChildFile ("config/karvelo-editor/karvelo-editor.settings");
    const juce::String head = "<?xml version=\"1.0\"?><PROPERTIES><VALUE name=";
    ASSERT_TRUE (file.getParentDirectory().createDirectory());

    // Truncated, junk, and a zoom this editor does not offer.
    for (const auto& contents : { head + "\"recentFiles\" val", juce::String ("\x01\x02garbage"),
                                  head + "\"zoomPercent\" val=\"130\"/></PROPERTIES>" })
    {
        SCOPED_TRACE (contents);
        ASSERT_TRUE (file.replaceWithText (contents));
        UserSettings settings;
        EXPECT_EQ (std::pair (settings.getRecentFiles().size(), settings.getZoomPercent()),
                   std::pair (0, 100));

        for (int n = 11; n >= 1; --n)
            settings.addRecentFile (juce::File ("/p" + juce::String (n)));

        // The damaged file replaced, the newest ten kept.
        EXPECT_EQ (std::pair (UserSettings().getRecentFiles().getFirst(), settings.getRecentFiles().size()),
                   std::pair (juce::File ("/p1"), 10));
    }

    // A folder where the file should be: nothing can be kept, and nothing fails.
    ASSERT_TRUE (file.deleteFile() && file.createDirectory());
    UserSettings settings;
    settings.addRecentFile (juce::File ("/p2"));
    EXPECT_EQ (settings.getRecentFiles().getFirst(), juce::File ("/p2"));
}
