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

TEST_F (Controller, SendAndLoad)
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

    // Loaded into a window edited through its views, the views edited show the controller's preset.
    // (Every view following a stored block: ViewBindingTest.StoreShowsEverywhere.)
    auto& panel = panelOf (window (0));
    panel.getFaderView (8).getChannelBox().setValue (16, juce::sendNotificationSync);
    panel.getSwitchView (9).getTypeButton().setToggleState (true, juce::sendNotificationSync);
    settle (50);
    controller.setBlock (variedBlock (9));
    invoke (window (0), CommandIDs::loadFromHardware);
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return presetOf (window (0)).getData() == variedBlock (9); }));
    settle();
    EXPECT_EQ (shown(), "");
    EXPECT_EQ (panel.getFaderView (8).getChannelBox().getValue(), variedBlock (9)[64] + 1);
    const auto typeOffset = 66 + 3 * MainContentComponent::getPresetSwitchIndex (9) + 1;
    EXPECT_EQ (panel.getSwitchView (9).getTypeButton().getToggleState(), variedBlock (9)[typeOffset] == 1);
}

TEST_F (Controller, MidiSetupButtons)
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
