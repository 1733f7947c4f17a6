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
