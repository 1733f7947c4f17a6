#include "ApplicationFixture.h"
#include "GuiTestSupport.h"
#include "app/CommandIDs.h"
#include "app/MidiDeviceListBoxModel.h"

namespace
{
const juce::String warning = "warning Karvelo Editor: ";
const auto noDevice = warning + "MIDI Device is not found.  Verify MIDI Settings in the MIDI Setup window.";
const auto noAnswer = warning + "No Preset Acknowledgement returned. Verify Midi Input Settings.";

struct Controller : ApplicationFixture
{
    // "<open inputs> / <open outputs>".
    juce::String ports() const
    {
        const auto midi = app->getMidiManager();
        return midi->getOpenMidiInputNames().joinIntoString (", ") + " / "
               + midi->getOpenMidiOutputNames().joinIntoString (", ");
    }

    // A device list as shown, the selected rows starred.
    static juce::String rowsOf (juce::ListBox& list)
    {
        juce::StringArray rows;

        for (int row = 0; row < list.getModel()->getNumRows(); ++row)
            rows.add ((list.isRowSelected (row) ? "*" : "")
                      + dynamic_cast<MidiDeviceListBoxModel&> (*list.getModel()).deviceNames[row]);

        return rows.joinIntoString (", ");
    }

    // One of the open MIDI Setup window's buttons: "OK", "Cancel" or "Apply".
    juce::Button& setupButton (const juce::String& name) const
    {
        for (auto* child : app->getMidiSetupWindow()->getPanel().getChildren())
            if (child->getName() == name)
                return dynamic_cast<juce::Button&> (*child);

        throw std::logic_error ("no button " + name.toStdString());
    }

    // The text of each line after its time of day to the millisecond, from the first on, once there
    // are `count` lines.
    static juce::String lines (MidiMonitorComponent& monitor, int count, int first = 0)
    {
        MessageLoop::runUntil ([&] { return monitor.getLines().size() >= count; });
        juce::StringArray texts;

        for (auto& line : monitor.getLines())
            texts.add (line.matchesWildcard ("??:??:??.??? *", false) ? line.substring (13).trim()
                                                                      : "no time: " + line);

        return texts.joinIntoString ("\n", first);
    }
};

using MidiMonitor = Controller;
} // namespace

TEST_F (Controller, MidiSetup)
{
    const auto drums = system->plugInput ("Drum Pads");
    const auto synth = system->plugOutput ("Synth B");
    start();
    invoke (CommandIDs::midiSetup);
    const auto panel = [this] { return &app->getMidiSetupWindow()->getPanel(); };
    const auto inputsBecome = [&] (const juce::String& rows)
    { return MessageLoop::runUntil ([&] { return rowsOf (panel()->getInputList()) == rows; }); };
    EXPECT_EQ (rowsOf (panel()->getInputList()), "*Karvelo, Drum Pads");
    panel()->selectOutputDevice ("Synth B");
    setupButton ("Cancel").triggerClick();
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return desktopWindows() == "Karvelo Editor Untitled 1"; }));

    // Reopened, the choice cancelled is gone. A device plugged in while the window is open joins
    // the list, the choice stays; the chosen device pulled out: nothing is chosen, the others stay.
    invoke (CommandIDs::midiSetup);
    EXPECT_EQ (rowsOf (panel()->getOutputList()), "*Karvelo, Synth B");
    panel()->getInputList().selectRow (1);
    const auto keys = system->plugInput ("Keys");
    EXPECT_TRUE (inputsBecome ("Karvelo, *Drum Pads, Keys")) << rowsOf (panel()->getInputList());
    system->unplug (drums);
    EXPECT_TRUE (inputsBecome ("Karvelo, Keys")) << rowsOf (panel()->getInputList());

    panel()->selectInputDevice ("Keys");
    setupButton ("Apply").triggerClick();
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return ports() == "Keys / Karvelo"; }));
    EXPECT_EQ (desktopWindows(), "Karvelo Editor Untitled 1, MIDI Setup");

    // OK clicked with the mouse: the window goes from inside its own button's callback. What is
    // sent goes to the output chosen, through the engine as well.
    panel()->selectOutputDevice ("Synth B");
    GuiTestSupport::click (setupButton ("OK"), setupButton ("OK").getLocalBounds().getCentre());
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return desktopWindows() == "Karvelo Editor Untitled 1"; }));
    EXPECT_EQ (ports(), "Keys / Synth B");
    invoke (window (0), CommandIDs::sendToHardware);
    EXPECT_EQ (synth->getReceived().size(), 1u);

    // Nothing left: the list says so, and how to find out why.
    invoke (CommandIDs::midiSetup);
    system->unplug (keys);
    system->unplug (controller.getEditorInput());
    EXPECT_TRUE (MessageLoop::runUntil (
        [&] {
            return panel()->getInputListMessage().matchesWildcard ("No MIDI inputs found*audio group*",
                                                                   false);
        }));
    EXPECT_EQ (panel()->getOutputListMessage(), "") << "the controller's output is still there";
}

// The monitor window, asked for twice, lists both directions, and no more than its bound of lines;
// sends and loads answered, unanswered and without the controller.
TEST_F (MidiMonitor, BothDirectionsBounded)
{
    start();
    invoke (CommandIDs::midiMonitor);
    invoke (CommandIDs::midiMonitor);
    auto& monitor = app->getMidiMonitorWindow()->getMonitor();
    auto& activity = panelOf (window (0)).getActivity();
    window (0).toFront (true);
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return activity.isPowerOn(); })) << "both ports are open";

    // The controller acknowledges the preset sent.
    invoke (window (0), CommandIDs::sendToHardware);
    EXPECT_EQ (lines (monitor, 2),
               "out  SendPreset, 146 bytes, acknowledged\nin   Acknowledgement, 10 bytes");

    // Notes and controllers are matched with the controls of the front window's preset that send
    // them, nothing else is; the window shows the value its strip 1 fader was sent.
    controller.sendFromController (juce::MidiMessage::controllerEvent (1, 19, 64));
    controller.sendFromController (juce::MidiMessage::noteOn (1, 2, (juce::uint8) 100));
    controller.sendFromController (juce::MidiMessage::controllerEvent (2, 19, 65));
    controller.sendFromController (juce::MidiMessage::noteOff (1, 1, (juce::uint8) 0));
    controller.sendFromController (juce::MidiMessage::pitchWheel (3, 8192));
    EXPECT_EQ (lines (monitor, 7, 2), "in   CC 19 = 64, channel 1 - strip 1 fader\n"
                                      "in   Note On 2 velocity 100, channel 1 - strip 1 solo button\n"
                                      "in   CC 19 = 65, channel 2 - no control of this preset\n"
                                      "in   Note Off 1 velocity 0, channel 1 - strip 1 mute button\n"
                                      "in   Pitch Bend 8192, channel 3");
    EXPECT_TRUE (MessageLoop::runUntil ([&] { return activity.getTouchedValue (6) == 64; }));

    // Copy takes the selected lines.
    monitor.getList().selectRow (1);
    monitor.getList().selectRow (3, false, false);
    monitor.copySelectedLines();
    EXPECT_EQ (juce::SystemClipboard::getTextFromClipboard(),
               monitor.getLines()[1] + "\n" + monitor.getLines()[3]);

    // Paused, nothing is added; cleared, nothing is left.
    monitor.setPaused (true);
    controller.sendFromController (juce::MidiMessage::midiClock());
    controller.getEditorInput()->waitUntilIdle();
    MessageLoop::runFor (3 * MidiTraffic::frameMilliseconds);
    EXPECT_EQ (monitor.getLines().size(), 7);
    monitor.setPaused (false);
    monitor.clear();
    controller.sendFromController (juce::MidiMessage::midiStop());
    EXPECT_EQ (lines (monitor, 1), "in   Stop");

    // A flood keeps the newest lines only.
    for (int i = 0; i < 3 * (int) MidiMonitorComponent::maximumLines; ++i)
        controller.sendFromController (juce::MidiMessage::controllerEvent (1, 100, i % 128));

    controller.sendFromController (juce::MidiMessage::midiContinue());
    ASSERT_TRUE (MessageLoop::runUntil (
        [&] { return monitor.getLines().joinIntoString ("\n").endsWith ("Continue"); }, 20000));
    EXPECT_EQ (monitor.getLines().size(), (int) MidiMonitorComponent::maximumLines);

    // A preset sent reaches the controller; unanswered, a send and a load each say so; with the
    // controller unplugged, each says so and opens MIDI Setup, and the window keeps its preset.
    ASSERT_TRUE (presetOf (window (0)).setData (variedBlock (8)));
    invoke (window (0), CommandIDs::sendToHardware);
    EXPECT_TRUE (MessageLoop::runUntil ([&] { return controller.getBlock() == variedBlock (8); }));
    controller.setFaults ({ true }); // no answer

    for (auto command : { CommandIDs::sendToHardware, CommandIDs::loadFromHardware })
        invoke (window (0), command);

    EXPECT_EQ (shown (2), noAnswer + " | " + noAnswer);
    EXPECT_EQ (desktopWindows(), "Karvelo Editor Untitled 1, MIDI Monitor") << "one monitor only, no setup";
    system->unplug (controller.getEditorOutput());
    EXPECT_TRUE (MessageLoop::runUntil ([&] { return ! activity.isPowerOn(); })) << "the output is gone";
    system->unplug (controller.getEditorInput());
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return ports() == " / "; }));

    for (auto command : { CommandIDs::sendToHardware, CommandIDs::loadFromHardware })
        invoke (window (0), command);

    EXPECT_EQ (shown (2), noDevice + " | " + noDevice);
    EXPECT_EQ (desktopWindows(), "Karvelo Editor Untitled 1, MIDI Monitor, MIDI Setup");

    // (The ports reopened on replugging: AlsaMidiFixture.UnplugMidReply; a load reaching the window:
    // Edit.UndoCopyAndChannels.)
    EXPECT_EQ (presetOf (window (0)).getData(), variedBlock (8));
}
