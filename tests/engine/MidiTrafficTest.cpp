#include "engine/MidiTraffic.h"
#include "EngineFixture.h"

namespace
{
struct TrafficRecorder : MidiTraffic::Listener
{
    void midiTrafficArrived (const std::vector<MidiTraffic::Event>& events, int lost) override
    {
        ++batches;
        dropped += lost;

        for (auto& event : events)
            lines.add ((event.outgoing ? "out " : "in ") + event.describe());
    }

    juce::StringArray lines;
    int batches = 0, dropped = 0;
};

struct MidiTrafficTest : EngineFixture
{
    MidiTrafficTest() { traffic->addListener (&recorder); }
    ~MidiTrafficTest() override { traffic->removeListener (&recorder); }

    TrafficRecorder recorder;
    MidiTraffic::Ptr traffic{ new MidiTraffic (manager) };
};
} // namespace

TEST_F (MidiTrafficTest, Descriptions)
{
    controller.sendFromController (juce::MidiMessage::controllerEvent (1, 21, 64));
    controller.sendFromController (juce::MidiMessage::noteOn (2, 5, (juce::uint8) 100));
    controller.sendFromController (juce::MidiMessage::noteOff (16, 127, (juce::uint8) 0));
    controller.sendFromController (juce::MidiMessage::midiClock());
    controller.sendFromController (juce::MidiMessage::pitchWheel (3, 8192));
    controller.sendFromController (acknowledgement());
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return recorder.lines.size() >= 6; }));
    manager->sendMidiMessage (SysExProtocol::createSendPresetMessage (0x31, *presetOf (1)));
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return recorder.lines.size() >= 8; }));

    EXPECT_EQ (recorder.lines.joinIntoString ("\n"), "in CC 21 = 64, channel 1\n"
                                                     "in Note On 5 velocity 100, channel 2\n"
                                                     "in Note Off 127 velocity 0, channel 16\n"
                                                     "in Clock\n"
                                                     "in Pitch Bend 8192, channel 3\n"
                                                     "in Acknowledgement, 10 bytes\n"
                                                     "out SendPreset, 146 bytes\n"
                                                     "in Acknowledgement, 10 bytes");

    // Notes and controllers are what the Karvelo's controls send; nothing else is.
    const auto cc = MidiTraffic::Event::from (juce::MidiMessage::controllerEvent (4, 21, 64), false);
    const auto note = MidiTraffic::Event::from (juce::MidiMessage::noteOff (2, 5), false);
    EXPECT_EQ (cc.asControlMessage(), (KARVELOControlMap::Message{ 3, false, 21 }));
    EXPECT_EQ (note.asControlMessage(), (KARVELOControlMap::Message{ 1, true, 5 }));
    EXPECT_FALSE (MidiTraffic::Event::from (acknowledgement(), false).asControlMessage().has_value());
}

TEST_F (MidiTrafficTest, FloodInBatches)
{
    constexpr int sent = 30000;
    const auto started = juce::Time::getMillisecondCounterHiRes();

    for (int i = 0; i < sent; ++i)
        controller.sendFromController (juce::MidiMessage::controllerEvent (1, 7, i % 128));

    // Every message is either delivered or counted as dropped, in arrival order, and the message
    // thread hears of them no more than once a frame.
    ASSERT_TRUE (
        MessageLoop::runUntil ([&] { return recorder.lines.size() + recorder.dropped == sent; }, 20000));
    const auto elapsed = juce::Time::getMillisecondCounterHiRes() - started;
    EXPECT_LE (recorder.batches, elapsed / MidiTraffic::frameMilliseconds + 2);
    EXPECT_EQ (recorder.lines[0], "in CC 7 = 0, channel 1");

    MessageLoop::runFor (3 * MidiTraffic::frameMilliseconds);
    const auto batches = recorder.batches;
    MessageLoop::runFor (5 * MidiTraffic::frameMilliseconds);
    EXPECT_EQ (recorder.batches, batches) << "deliveries go on after the flood";
}
