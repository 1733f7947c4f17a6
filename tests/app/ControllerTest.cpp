#include "ApplicationFixture.h"
#include "GuiTestSupport.h"
#include "app/CommandIDs.h"
#include "app/MidiDeviceListBoxModel.h"

namespace
{
constexpr const char* noDevice = "MIDI Device is not found.  Verify MIDI Settings in the MIDI Setup window.";
constexpr const char* noAnswer = "No Preset Acknowledgement returned. Verify Midi Input Settings.";

/** Scenarios of the controller: sending, loading, unplugging, and choosing the ports. */
class Controller : public ApplicationFixture
{
protected:
    bool waitForWarnings (size_t count)
    {
        return MessageLoop::runUntil ([&] { return desktop->warnings.size() >= count; });
    }

    bool waitForPorts (const std::vector<juce::String>& inputs, const std::vector<juce::String>& outputs)
    {
        return MessageLoop::runUntil ([&] { return openInputs() == inputs && openOutputs() == outputs; });
    }
};

/** With a second device, "Synth B", beside the controller. */
class MidiSetup : public Controller
{
protected:
    void SetUp() override
    {
        system->plugInput ("Synth B");
        system->plugOutput ("Synth B");
    }

    MidiSetupComponent& setupPanel() const { return app->getMidiSetupWindow()->getPanel(); }

    static std::vector<juce::String> rowsOf (juce::ListBox& list)
    {
        auto names = dynamic_cast<MidiDeviceListBoxModel&> (*list.getModel()).deviceNames;
        names.sort (false);
        return listOf (names);
    }

    static void choose (juce::ListBox& list, const juce::String& name)
    {
        const auto& names = dynamic_cast<MidiDeviceListBoxModel&> (*list.getModel()).deviceNames;
        list.selectRow (names.indexOf (name));
    }

    bool waitUntilSetupWindowIsGone()
    {
        return MessageLoop::runUntil ([&] { return app->getMidiSetupWindow() == nullptr; });
    }
};
} // namespace

TEST_F (Controller, SendToHardwarePutsTheWindowsPresetIntoTheControllerWithoutAWord)
{
    start();
    ASSERT_TRUE (presetOf (window (0)).setData (variedBlock (8)));
    invoke (window (0), CommandIDs::sendToHardware);

    EXPECT_TRUE (MessageLoop::runUntil ([&] { return controller.getBlock() == variedBlock (8); }));
    settle();
    EXPECT_TRUE (desktop->warnings.empty());
    EXPECT_EQ (app->getMidiSetupWindow(), nullptr);
}

TEST_F (Controller, WithoutAPortSendAndLoadSayTheDeviceIsNotFoundAndShowMidiSetup)
{
    start();
    app->getMidiManager()->closeAllMidiOutputs();
    invoke (window (0), CommandIDs::sendToHardware);

    ASSERT_TRUE (waitForWarnings (1));
    EXPECT_EQ (desktop->warnings[0].title, "Karvelo Editor");
    EXPECT_EQ (desktop->warnings[0].message, noDevice);
    ASSERT_NE (app->getMidiSetupWindow(), nullptr);
    EXPECT_TRUE (app->getMidiSetupWindow()->isOnDesktop());
    EXPECT_EQ (controller.getNumSendsReceived(), 0);

    setupButton ("Cancel").triggerClick();
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return app->getMidiSetupWindow() == nullptr; }));

    app->getMidiManager()->closeAllMidiInputs();
    controller.setBlock (variedBlock (9));
    invoke (window (0), CommandIDs::loadFromHardware);

    ASSERT_TRUE (waitForWarnings (2));
    EXPECT_EQ (desktop->warnings[1].message, noDevice);
    EXPECT_NE (app->getMidiSetupWindow(), nullptr);
    EXPECT_EQ (presetOf (window (0)).getData(), factoryPresetBlock());
}

TEST_F (Controller, AControllerThatNeverAnswersIsReportedForEachTransfer)
{
    start();
    SimulatedKarvelo::Faults faults;
    faults.noAnswer = true;
    controller.setFaults (faults);

    invoke (window (0), CommandIDs::sendToHardware);
    ASSERT_TRUE (waitForWarnings (1));
    EXPECT_EQ (desktop->warnings[0].title, "Karvelo Editor");
    EXPECT_EQ (desktop->warnings[0].message, noAnswer);

    invoke (window (0), CommandIDs::loadFromHardware);
    ASSERT_TRUE (waitForWarnings (2));
    EXPECT_EQ (desktop->warnings[1].message, noAnswer);

    settle();
    EXPECT_EQ (desktop->warnings.size(), 2u);
    EXPECT_EQ (app->getMidiSetupWindow(), nullptr);
}

TEST_F (Controller, LoadFromHardwareShowsTheControllersPresetInEveryViewOfAnEditedWindow)
{
    start();
    auto& panel = panelOf (window (0));
    panel.getKnobView (4).getCcBox().setValue (99, juce::sendNotificationSync);
    panel.getFaderView (8).getChannelBox().setValue (16, juce::sendNotificationSync);
    panel.getSwitchView (9).getTypeButton().setToggleState (true, juce::sendNotificationSync);
    settle (50);
    ASSERT_NE (presetOf (window (0)).getData(), factoryPresetBlock());

    const auto block = variedBlock (9);
    controller.setBlock (block);
    invoke (window (0), CommandIDs::loadFromHardware);

    ASSERT_TRUE (MessageLoop::runUntil ([&] { return presetOf (window (0)).getData() == block; }));
    settle();
    EXPECT_TRUE (desktop->warnings.empty());

    for (int i = 0; i < KARVELOEditorPreset::numKnobs + KARVELOEditorPreset::numFaders; ++i)
    {
        auto& view = i < KARVELOEditorPreset::numKnobs
                         ? panel.getKnobView (i)
                         : panel.getFaderView (i - KARVELOEditorPreset::numKnobs);
        SCOPED_TRACE ("knob or fader " + std::to_string (i));
        EXPECT_EQ (view.getChannelBox().getValue(), block[2 * i] + 1);
        EXPECT_EQ (view.getCcBox().getValue(), block[2 * i + 1]);
    }

    // The screen's rows are mute, solo, record-arm; the block's are mute, record-arm, solo.
    for (int view = 0; view < KARVELOEditorPreset::numSwitches; ++view)
    {
        const auto presetSwitch = view < 8 ? view : (view < 16 ? view + 8 : view - 8);
        const auto offset = KARVELOEditorPreset::switchesOffset + 3 * presetSwitch;
        const auto controlChange = block[offset + 1] == 1;
        auto& switchView = panel.getSwitchView (view);
        SCOPED_TRACE ("switch view " + std::to_string (view));
        EXPECT_EQ (switchView.getChannelBox().getValue(), block[offset] + 1);
        EXPECT_EQ (switchView.getTypeButton().getToggleState(), controlChange);
        EXPECT_EQ (switchView.getTypeLabel().getText(), controlChange ? "CC" : "NOTE");
        EXPECT_EQ (switchView.getCcBox().getValue(), block[offset + 2]);
    }
}

TEST_F (Controller, AControllerUnpluggedAndPluggedBackInIsFoundAgainByItself)
{
    start();
    controller.unplug();
    ASSERT_TRUE (waitForPorts ({}, {}));

    invoke (window (0), CommandIDs::sendToHardware);
    ASSERT_TRUE (waitForWarnings (1));
    EXPECT_EQ (desktop->warnings[0].message, noDevice);

    controller.plugIn();
    ASSERT_TRUE (waitForPorts ({ "Karvelo" }, { "Karvelo" }));

    ASSERT_TRUE (presetOf (window (0)).setData (variedBlock (10)));
    invoke (window (0), CommandIDs::sendToHardware);
    EXPECT_TRUE (MessageLoop::runUntil ([&] { return controller.getBlock() == variedBlock (10); }));
    settle();
    EXPECT_EQ (desktop->warnings.size(), 1u);
}

TEST_F (MidiSetup, ShowsTheDevicesWithTheOpenPortsChosenAndCancelChangesNothing)
{
    start();
    invoke (CommandIDs::midiSetup);
    ASSERT_NE (app->getMidiSetupWindow(), nullptr);
    EXPECT_TRUE (app->getMidiSetupWindow()->isOnDesktop());

    EXPECT_EQ (rowsOf (setupPanel().getInputList()), listOf ({ "Karvelo", "Synth B" }));
    EXPECT_EQ (rowsOf (setupPanel().getOutputList()), listOf ({ "Karvelo", "Synth B" }));
    EXPECT_EQ (setupPanel().getSelectedInputDeviceName(), "Karvelo");
    EXPECT_EQ (setupPanel().getSelectedOutputDeviceName(), "Karvelo");

    choose (setupPanel().getOutputList(), "Synth B");
    EXPECT_EQ (setupPanel().getSelectedOutputDeviceName(), "Synth B");
    setupButton ("Cancel").triggerClick();

    ASSERT_TRUE (waitUntilSetupWindowIsGone());
    EXPECT_EQ (openInputs(), listOf ({ "Karvelo" }));
    EXPECT_EQ (openOutputs(), listOf ({ "Karvelo" }));

    // Shown again, it starts from the ports that are open.
    invoke (CommandIDs::midiSetup);
    ASSERT_NE (app->getMidiSetupWindow(), nullptr);
    EXPECT_EQ (setupPanel().getSelectedOutputDeviceName(), "Karvelo");
}

TEST_F (MidiSetup, ApplySwitchesThePortsAndStaysWhileOkSwitchesThemAndCloses)
{
    start();
    invoke (CommandIDs::midiSetup);
    auto* const setupWindow = app->getMidiSetupWindow().get();
    ASSERT_NE (setupWindow, nullptr);

    choose (setupPanel().getInputList(), "Synth B");
    choose (setupPanel().getOutputList(), "Synth B");
    setupButton ("Apply").triggerClick();

    ASSERT_TRUE (waitForPorts ({ "Synth B" }, { "Synth B" }));
    EXPECT_EQ (app->getMidiSetupWindow().get(), setupWindow);
    EXPECT_TRUE (setupWindow->isOnDesktop());

    // OK pressed with the mouse: the controller gets what is sent, but its answer comes back on
    // a port that is no longer open.
    choose (setupPanel().getOutputList(), "Karvelo");
    auto& ok = setupButton ("OK");
    GuiTestSupport::click (ok, ok.getLocalBounds().getCentre());

    ASSERT_TRUE (waitUntilSetupWindowIsGone());
    EXPECT_EQ (openInputs(), listOf ({ "Synth B" }));
    EXPECT_EQ (openOutputs(), listOf ({ "Karvelo" }));

    ASSERT_TRUE (presetOf (window (0)).setData (variedBlock (11)));
    invoke (window (0), CommandIDs::sendToHardware);
    EXPECT_TRUE (MessageLoop::runUntil ([&] { return controller.getBlock() == variedBlock (11); }));
    ASSERT_TRUE (waitForWarnings (1));
    EXPECT_EQ (desktop->warnings[0].message, noAnswer);
}
