#include "EngineFixture.h"
#include "engine/SysExProtocol.h"

#include <map>

TEST_F (EngineFixture, StressOneResultEach)
{
    const auto stray = acknowledgement();
    std::atomic<bool> stop{ false };

    // Pulls the cables and puts them back, switches faults and answer delays, and acknowledges
    // what was never sent, all from a thread of its own while the editor keeps sending.
    std::thread chaos (
        [&]
        {
            juce::Random random (20261206);

            while (! stop)
            {
                std::this_thread::sleep_for (std::chrono::milliseconds (random.nextInt (15)));

                switch (random.nextInt (4))
                {
                    case 0:
                        controller.unplug();
                        std::this_thread::sleep_for (std::chrono::milliseconds (random.nextInt (40)));
                        controller.plugIn();
                        break;

                    case 1:
                        controller.setFaults (SimulatedKarvelo::Faults::random (random, 8));
                        break;

                    case 2:
                        controller.sendFromController (stray);
                        break;

                    default:
                        controller.setAnswerDelay (random.nextInt (timeout * 2));
                        break;
                }
            }
        });

    std::vector<KARVELOEditorPreset::Ptr> presets;

    for (int i = 0; i < 4000; ++i)
    {
        auto preset = presetOf (i);
        presets.push_back (preset);

        if (i % 2 == 0)
            engine->sendPreset (SysExProtocol::noSlot, preset);
        else
            engine->requestPreset (SysExProtocol::noSlot, preset);

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
