#include "EngineFixture.h"
#include "engine/MidiTraffic.h"
#include "engine/SysExProtocol.h"

#include <map>

TEST_F (EngineFixture, StressOneResultEach)
{
    std::atomic<bool> stop{ false };

    // Pulls the cables and puts them back, switches faults and answer delays, and acknowledges
    // what was never sent, all from a thread of its own while the editor keeps sending.
    std::thread chaos (
        [&]
        {
            juce::Random random (20261206);

            for (; ! stop; std::this_thread::sleep_for (std::chrono::milliseconds (random.nextInt (15))))
            {
                const auto action = random.nextInt (4);

                if (action == 0)
                {
                    controller.unplug();
                    std::this_thread::sleep_for (std::chrono::milliseconds (random.nextInt (40)));
                    controller.plugIn();
                }
                else if (action == 1)
                    controller.setFaults (SimulatedKarvelo::Faults::random (random, 8));
                else if (action == 2)
                    controller.sendFromController (acknowledgement());
                else
                    controller.setAnswerDelay (random.nextInt (timeout * 2));
            }
        });

    std::vector<KARVELOEditorPreset::Ptr> presets;

    for (int i = 0; i < 4000; ++i)
    {
        presets.push_back (presetOf (i));

        if (i % 2 == 0)
            engine->sendPreset (SysExProtocol::noSlot, presets.back());
        else
            engine->requestPreset (SysExProtocol::noSlot, presets.back());

        if (i % 16 == 0)
            MessageLoop::runFor (1);
    }

    stop = true;
    chaos.join();
    controller.setFaults ({});
    controller.plugIn();

    ASSERT_TRUE (MessageLoop::runUntil (
        [&] { return engine->getNumPendingSends() == 0 && engine->getNumPendingRequests() == 0; }, 30000));
    controller.waitUntilIdle();
    settle();

    // Every send ended exactly once; a result without a preset can only be a stray acknowledgement.
    std::map<EditorPreset*, int> sent, ended;

    for (size_t i = 0; i < presets.size(); i += 2)
        sent[presets[i].get()] = 1;

    for (auto& result : results.sends)
        if (result.preset != nullptr || result.result != OrvikEditorEngine::SendResult::acknowledged)
            ++ended[result.preset.get()];

    EXPECT_EQ (ended, sent);
    EXPECT_EQ (results.requests.size(), presets.size() / 2);
    EXPECT_FALSE (results.deliveredWrongly());

    results.sends.clear();

    for (auto& preset : presets)
        ASSERT_EQ (preset->getReferenceCount(), 1) << "a preset is still held after its operation ended";
}

using MidiTrafficTest = EngineFixture;

TEST_F (MidiTrafficTest, FloodInBatches)
{
    struct : MidiTraffic::Listener
    {
        void midiTrafficArrived (const std::vector<MidiTraffic::Event>& events, int lost) override
        {
            ++batches;
            arrived += static_cast<int> (events.size()) + lost;
        }

        int batches = 0, arrived = 0;
    } recorder;

    MidiTraffic::Ptr traffic{ new MidiTraffic (manager) };
    traffic->addListener (&recorder);
    constexpr int sent = 30000;
    const auto started = juce::Time::getMillisecondCounterHiRes();

    for (int i = 0; i < sent; ++i)
        controller.sendFromController (juce::MidiMessage::controllerEvent (1, 7, i % 128));

    ASSERT_TRUE (controller.waitUntilIdle()); // all of it in while the message thread is busy: most is lost

    // Every message is either delivered or counted as dropped, and the message thread hears of them
    // no more than once a frame. (Their order and descriptions: the MIDI monitor's test.)
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return recorder.arrived == sent; }, 20000));
    const auto elapsed = juce::Time::getMillisecondCounterHiRes() - started;
    EXPECT_LE (recorder.batches, elapsed / MidiTraffic::frameMilliseconds + 2);

    MessageLoop::runFor (3 * MidiTraffic::frameMilliseconds);
    const auto batches = recorder.batches;
    MessageLoop::runFor (5 * MidiTraffic::frameMilliseconds);
    EXPECT_EQ (recorder.batches, batches) << "deliveries go on after the flood";
    traffic->removeListener (&recorder);
}
