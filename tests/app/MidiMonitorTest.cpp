#include "ApplicationFixture.h"
#include "app/CommandIDs.h"

namespace
{
// The application with its monitor window open.
struct MidiMonitor : ApplicationFixture
{
    MidiMonitorComponent& open()
    {
        start();
        invoke (CommandIDs::midiMonitor);
        invoke (CommandIDs::midiMonitor);
        EXPECT_EQ (desktopWindows(), "Karvelo Editor Untitled 1, MIDI Monitor") << "one monitor only";
        return app->getMidiMonitorWindow()->getMonitor();
    }

    // The text of each line after its time, from the first on, once there are `count` lines.
    static juce::String lines (MidiMonitorComponent& monitor, int count, int first = 0)
    {
        MessageLoop::runUntil ([&] { return monitor.getLines().size() >= count; });
        juce::StringArray texts;

        for (auto& line : monitor.getLines())
            texts.add (line.fromFirstOccurrenceOf (" ", false, false).trim());

        return texts.joinIntoString ("\n", first);
    }
};
} // namespace

TEST_F (MidiMonitor, ListsBothDirections)
{
    auto& monitor = open();
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
    controller.sendFromController (juce::MidiMessage::noteOff (16, 127, (juce::uint8) 0));
    controller.sendFromController (juce::MidiMessage::pitchWheel (3, 8192));
    EXPECT_EQ (lines (monitor, 8, 2), "in   CC 19 = 64, channel 1 - strip 1 fader\n"
                                      "in   Note On 2 velocity 100, channel 1 - strip 1 solo button\n"
                                      "in   CC 19 = 65, channel 2 - no control of this preset\n"
                                      "in   Note Off 1 velocity 0, channel 1 - strip 1 mute button\n"
                                      "in   Note Off 127 velocity 0, channel 16 - no control of this preset\n"
                                      "in   Pitch Bend 8192, channel 3");
    EXPECT_TRUE (MessageLoop::runUntil ([&] { return activity.getTouchedValue (6) == 64; }));

    // Each line starts with the time of day to the millisecond.
    const auto time = monitor.getLines()[0].upToFirstOccurrenceOf (" ", false, false);
    EXPECT_TRUE (time.length() == 12 && time.containsOnly ("0123456789:.") && time[2] == ':') << time;

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
    EXPECT_EQ (monitor.getLines().size(), 8);
    monitor.setPaused (false);
    monitor.clear();
    controller.sendFromController (juce::MidiMessage::midiStop());
    EXPECT_EQ (lines (monitor, 1), "in   Stop");

    system->unplug (controller.getEditorOutput());
    EXPECT_TRUE (MessageLoop::runUntil ([&] { return ! activity.isPowerOn(); })) << "the output is gone";
}

TEST_F (MidiMonitor, BoundedHistory)
{
    auto& monitor = open();
    constexpr int sent = 3 * (int) MidiMonitorComponent::maximumLines;

    for (int i = 0; i < sent; ++i)
        controller.sendFromController (juce::MidiMessage::controllerEvent (1, 100, i % 128));

    controller.sendFromController (juce::MidiMessage::midiStop());
    ASSERT_TRUE (MessageLoop::runUntil (
        [&] { return monitor.getLines().joinIntoString ("\n").endsWith ("Stop"); }, 20000));
    EXPECT_EQ (monitor.getLines().size(), (int) MidiMonitorComponent::maximumLines);
}
