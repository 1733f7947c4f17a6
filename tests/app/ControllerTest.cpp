#include "ApplicationFixture.h"
#include "GuiTestSupport.h"
#include "app/CommandIDs.h"
#include "app/MidiDeviceListBoxModel.h"

namespace
{
using Controller = ApplicationFixture;

const juce::String warning = "warning Karvelo Editor: ";
const auto noDevice = warning + "MIDI Device is not found.  Verify MIDI Settings in the MIDI Setup window.";
const auto noAnswer = warning + "No Preset Acknowledgement returned. Verify Midi Input Settings.";

// A device list as shown: its rows, then the selected one in brackets.
juce::String rowsOf (juce::ListBox& list)
{
    const auto& names = dynamic_cast<MidiDeviceListBoxModel&> (*list.getModel()).deviceNames;
    return names.joinIntoString (", ") + " (" + names[list.getSelectedRow()] + ")";
}
} // namespace

TEST_F (Controller, SendAndLoadReachTheControllerOrSayWhyNotAcrossAnUnplugAndAReplug)
{
    start();
    ASSERT_TRUE (presetOf (window (0)).setData (variedBlock (8)));
    invoke (window (0), CommandIDs::sendToHardware); // acknowledged: no box (every box is checked below)
    EXPECT_TRUE (MessageLoop::runUntil ([&] { return controller.getBlock() == variedBlock (8); }));
    controller.setFaults ({ true, false, false, false, false }); // no answer

    for (auto command : { CommandIDs::sendToHardware, CommandIDs::loadFromHardware })
    {
        invoke (window (0), command);
        EXPECT_EQ (shown (1), noAnswer);
    }

    EXPECT_EQ (desktopWindows(), "Karvelo Editor Untitled 1");
    controller.setFaults ({});
    controller.unplug();
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return ports() == " / "; }));

    for (auto command : { CommandIDs::sendToHardware, CommandIDs::loadFromHardware })
    {
        invoke (window (0), command);
        EXPECT_EQ (shown (1), noDevice);
        EXPECT_EQ (desktopWindows(), "Karvelo Editor Untitled 1, MIDI Setup");
    }

    EXPECT_EQ (presetOf (window (0)).getData(), variedBlock (8));
    controller.plugIn();
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return ports() == "Karvelo / Karvelo"; }));

    // Loaded into a window edited through its views, every view shows the controller's preset.
    auto& panel = panelOf (window (0));
    panel.getFaderView (8).getChannelBox().setValue (16, juce::sendNotificationSync);
    panel.getSwitchView (9).getTypeButton().setToggleState (true, juce::sendNotificationSync);
    settle (50);
    controller.setBlock (variedBlock (9));
    invoke (window (0), CommandIDs::loadFromHardware);
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return presetOf (window (0)).getData() == variedBlock (9); }));
    settle();
    EXPECT_EQ (shown(), "");
    ByteArray onScreen; // what the views show, in the block's order

    for (int i = 0; i < 24 + 9; ++i) // knobs, then faders
    {
        auto& view = i < 24 ? panel.getKnobView (i) : panel.getFaderView (i - 24);
        onScreen.add (byte (view.getChannelBox().getValue() - 1), byte (view.getCcBox().getValue()));
    }

    // The block's rows of switches are mute, record-arm, solo; the screen's mute, solo, record-arm.
    for (int i = 0; i < 24; ++i)
    {
        auto& view = panel.getSwitchView (i < 8 ? i : (i < 16 ? i + 8 : i - 8));
        onScreen.add (byte (view.getChannelBox().getValue() - 1),
                      byte (view.getTypeLabel().getText() == "CC"), byte (view.getCcBox().getValue()));
    }

    EXPECT_EQ (onScreen, variedBlock (9));
}

TEST_F (Controller, MidiSetupStartsFromTheOpenPortsAndCancelApplyAndOkDoAsTheySay)
{
    system->plugInput ("Synth B");
    const auto synth = system->plugOutput ("Synth B");
    start();
    const auto panel = [this]() -> MidiSetupComponent& { return app->getMidiSetupWindow()->getPanel(); };

    invoke (CommandIDs::midiSetup);
    EXPECT_EQ (rowsOf (panel().getInputList()), "Karvelo, Synth B (Karvelo)");
    EXPECT_EQ (rowsOf (panel().getOutputList()), "Karvelo, Synth B (Karvelo)");
    panel().selectOutputDevice ("Synth B");
    setupButton ("Cancel").triggerClick();
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return desktopWindows() == "Karvelo Editor Untitled 1"; }));
    EXPECT_EQ (ports(), "Karvelo / Karvelo");

    invoke (CommandIDs::midiSetup);
    EXPECT_EQ (rowsOf (panel().getOutputList()), "Karvelo, Synth B (Karvelo)");
    panel().selectInputDevice ("Synth B");
    setupButton ("Apply").triggerClick();
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return ports() == "Synth B / Karvelo"; }));
    EXPECT_EQ (desktopWindows(), "Karvelo Editor Untitled 1, MIDI Setup");

    // OK clicked with the mouse: the window goes from inside its own button's callback.
    panel().selectOutputDevice ("Synth B");
    GuiTestSupport::click (setupButton ("OK"), setupButton ("OK").getLocalBounds().getCentre());
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return desktopWindows() == "Karvelo Editor Untitled 1"; }));
    EXPECT_EQ (ports(), "Synth B / Synth B");

    // What is sent goes to the output chosen, through the engine as well.
    invoke (window (0), CommandIDs::sendToHardware);
    EXPECT_EQ (synth->getReceived().size(), 1u);
}
