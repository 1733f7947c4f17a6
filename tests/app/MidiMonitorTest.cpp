#include "ApplicationFixture.h"
#include "EngineFixture.h"
#include "app/CommandIDs.h"
#include "app/MidiMonitorComponent.h"

namespace
{
struct MidiMonitor : EngineFixture
{
    // The text of each line after its time, once there are `count` lines.
    juce::StringArray shown (int count)
    {
        MessageLoop::runUntil ([&] { return monitor.getLines().size() >= count; });
        juce::StringArray texts;

        for (auto& line : monitor.getLines())
            texts.add (line.fromFirstOccurrenceOf (" ", false, false).trim());

        return texts;
    }

    MidiTraffic::Ptr traffic{ new MidiTraffic (manager) };
    MidiMonitorComponent monitor{ traffic,
                                  [] { return std::optional<ByteArray> (HexFile::factoryBlock()); } };
};

using MonitorWindow = ApplicationFixture;
} // namespace

TEST_F (MidiMonitor, ListsBothDirections)
{
    // The controller acknowledges the preset sent.
    const auto sendPreset = HexFile::read ("send_preset_factory.hex");
    manager->sendMidiMessage (juce::MidiMessage (sendPreset.begin(), sendPreset.size()));
    EXPECT_EQ (shown (2).joinIntoString ("\n"), "out  SendPreset, 146 bytes, acknowledged\n"
                                                "in   Acknowledgement, 10 bytes");

    // Notes and controllers are matched with the controls that send them; nothing else is.
    controller.sendFromController (juce::MidiMessage::controllerEvent (1, 19, 64));      // strip 1's fader
    controller.sendFromController (juce::MidiMessage::noteOn (1, 2, (juce::uint8) 100)); // strip 1's solo
    controller.sendFromController (juce::MidiMessage::controllerEvent (2, 19, 64));
    controller.sendFromController (juce::MidiMessage::noteOff (1, 1, (juce::uint8) 0)); // strip 1's mute
    controller.sendFromController (juce::MidiMessage::noteOff (16, 127, (juce::uint8) 0));
    controller.sendFromController (juce::MidiMessage::pitchWheel (3, 8192));
    EXPECT_EQ (shown (8).joinIntoString ("\n", 2),
               "in   CC 19 = 64, channel 1 - strip 1 fader\n"
               "in   Note On 2 velocity 100, channel 1 - strip 1 solo button\n"
               "in   CC 19 = 64, channel 2 - no control of this preset\n"
               "in   Note Off 1 velocity 0, channel 1 - strip 1 mute button\n"
               "in   Note Off 127 velocity 0, channel 16 - no control of this preset\n"
               "in   Pitch Bend 8192, channel 3");

    // Each line starts with the time of day to the millisecond.
    const auto time = monitor.getLines()[0].upToFirstOccurrenceOf (" ", false, false);
    EXPECT_TRUE (time.length() == 12 && time.containsOnly ("0123456789:.") && time[2] == ':') << time;

    // Copy takes the selected lines, or all of them.
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
    EXPECT_EQ (monitor.getLines().size(), 8);
    monitor.setPaused (false);
    monitor.clear();
    controller.sendFromController (juce::MidiMessage::midiStop());
    EXPECT_EQ (shown (1).joinIntoString ("\n"), "in   Stop");
}

TEST_F (MidiMonitor, BoundedHistory)
{
    constexpr int sent = 3 * (int) MidiMonitorComponent::maximumLines;

    for (int i = 0; i < sent; ++i)
        controller.sendFromController (juce::MidiMessage::controllerEvent (1, 100, i % 128));

    controller.sendFromController (juce::MidiMessage::midiStop());
    ASSERT_TRUE (MessageLoop::runUntil (
        [&] { return monitor.getLines().joinIntoString ("\n").endsWith ("Stop"); }, 20000));
    EXPECT_EQ (monitor.getLines().size(), (int) MidiMonitorComponent::maximumLines);
}

TEST_F (MonitorWindow, FollowsFrontWindow)
{
    start();
    window (0).toFront (true);
    auto& activity = panelOf (window (0)).getActivity();
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return activity.isPowerOn(); })) << "both ports are open";

    // Strip 1's fader sends CC 19 on channel 1 in the factory preset: the front window lights MIDI
    // and its fader shows the value.
    controller.sendFromController (juce::MidiMessage::controllerEvent (1, 19, 77));
    EXPECT_TRUE (MessageLoop::runUntil ([&] { return activity.isMidiLit(); }));
    EXPECT_TRUE (MessageLoop::runUntil ([&] { return activity.getTouchedValue (6) == 77; }));

    // The monitor names the control of the front editor window that sent it.
    invoke (CommandIDs::midiMonitor);
    invoke (CommandIDs::midiMonitor);
    EXPECT_EQ (desktopWindows(), "Karvelo Editor Untitled 1, MIDI Monitor") << "one monitor only";
    controller.sendFromController (juce::MidiMessage::controllerEvent (1, 16, 5));
    auto& monitor = app->getMidiMonitorWindow()->getMonitor();
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return monitor.getLines().size() > 0; }));
    EXPECT_TRUE (monitor.getLines()[0].endsWith ("CC 16 = 5, channel 1 - strip 1 knob 1"))
        << monitor.getLines()[0];

    system->unplug (controller.getEditorOutput());
    EXPECT_TRUE (MessageLoop::runUntil ([&] { return ! activity.isPowerOn(); })) << "the output is gone";
}
