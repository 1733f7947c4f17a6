#include "EngineFixture.h"
#include "TemporaryFolder.h"
#include "engine/MidiTraffic.h"
#include "engine/SysExProtocol.h"

#include <map>

namespace
{
using Send = OrvikEditorEngine::SendResult;
using Request = OrvikEditorEngine::RequestResult;
using Ended = std::vector<ResultRecorder::Sent>;
constexpr int noSlot = SysExProtocol::noSlot;

juce::MidiMessage replyCarrying (ByteArray block)
{
    const auto reply = SimulatedKarvelo::answerTo (HexFile::read ("request_preset.hex"), block);
    return juce::MidiMessage (reply.begin(), reply.size());
}
} // namespace

TEST_F (EngineFixture, OneResultPerOperation)
{
    // A cable pulled mid-transfer ends by the timeouts of the next test (the ALSA tests pull it).
    // An acknowledged send: the next test.
    auto unsent = presetOf (1);
    manager->closeAllMidiOutputs();
    results.call ([&] { engine->sendPreset (noSlot, unsent); });
    results.call ([&] { engine->requestPreset (noSlot, unsent); }); // an input but no output: times out
    ASSERT_TRUE (waitForResults (2));
    manager->closeAllMidiInputs();
    results.call ([&] { engine->requestPreset (noSlot, unsent); });
    ASSERT_TRUE (waitForResults (3));
    settle();

    EXPECT_EQ (results.sends, (Ended{ { unsent, Send::noOutput } }));
    EXPECT_EQ (results.requests, (std::vector<int>{ Request::noReply, Request::noInput }));

    // Files: which of them are rejected is the preset file's test.
    TemporaryFolder folder;
    const auto saved = folder.getChildFile ("saved.karvelo");
    results.call (
        [&]
        {
            engine->openPresetFile (folder.getChildFile ("missing.karvelo"), unsent);
            engine->savePresetFile (saved, presetOf (8));
            engine->savePresetFile (juce::File ("/dev/full/x.karvelo"), unsent);
            engine->openPresetFile (saved, unsent);
        });
    ASSERT_TRUE (waitForResults (7));
    EXPECT_EQ (results.opens, (std::vector<int>{ 1, 2 })); // missing, loaded
    EXPECT_EQ (results.saves, (std::vector<int>{ 1, 0 })); // written, failed
    EXPECT_EQ (unsent->getData(), blockOf (8));
    EXPECT_FALSE (results.deliveredWrongly());
}

TEST_F (EngineFixture, RepliesTimeoutsAndDestruction)
{
    auto first = presetOf (1), second = presetOf (2), third = presetOf (3);
    controller.setFaults ({ true }); // no answer
    engine->sendPreset (noSlot, first);
    engine->sendPreset (noSlot, second);
    controller.sendFromController (acknowledgement());
    ASSERT_TRUE (waitForResults (1));
    engine->sendPreset (noSlot, third);
    ASSERT_TRUE (waitForResults (3));

    // A late acknowledgement is reported without a preset; a reply nobody asked for, not at all.
    controller.sendFromController (replyCarrying (blockOf (4)));
    controller.sendFromController (acknowledgement());
    ASSERT_TRUE (waitForResults (4));

    // A reply after a rejected one goes to the next request.
    engine->requestPreset (noSlot, first);
    engine->requestPreset (noSlot, second);
    controller.sendFromController (replyCarrying (HexFile::read ("block_last_byte_80.hex")));
    controller.sendFromController (replyCarrying (blockOf (7)));
    ASSERT_TRUE (waitForResults (6)); // the last, the first request's end by its timer
    EXPECT_EQ (results.sends, (Ended{ { first, Send::acknowledged },
                                      { second, Send::noAcknowledgement },
                                      { third, Send::noAcknowledgement },
                                      { nullptr, Send::acknowledged } }));
    EXPECT_EQ (results.requests, (std::vector<int>{ Request::received, Request::noReply }));
    EXPECT_EQ (first->getData(), blockOf (1));
    EXPECT_EQ (second->getData(), blockOf (7));

    // Destroyed while the input thread is still delivering to it, the engine delivers nothing more.
    for (int i = 0; i < 500; ++i)
        controller.sendFromController (acknowledgement());

    ASSERT_TRUE (
        MessageLoop::runUntil ([&, before = results.total()] { return results.total() > before + 5; }));
    engine = nullptr;
    const auto delivered = results.total();
    controller.waitUntilIdle();
    MessageLoop::drain();
    EXPECT_EQ (results.total(), delivered);
}

TEST_F (EngineFixture, StressOneResultEach)
{
    std::atomic<bool> stop{ false };

    // Pulls the cables and puts them back, switches faults and answer delays (late acknowledgements
    // match no send), all from a thread of its own while the editor keeps sending.
    std::thread chaos (
        [&]
        {
            juce::Random random (20261206);

            for (; ! stop; std::this_thread::sleep_for (std::chrono::milliseconds (random.nextInt (15))))
            {
                const auto action = random.nextInt (3);

                if (action == 0)
                {
                    controller.unplug();
                    std::this_thread::sleep_for (std::chrono::milliseconds (random.nextInt (40)));
                    controller.plugIn();
                }
                else if (action == 1)
                    controller.setFaults (SimulatedKarvelo::Faults::random (random, 8));
                else
                    controller.setAnswerDelay (random.nextInt (timeout * 2));
            }
        });

    std::vector<KARVELOEditorPreset::Ptr> presets;

    for (int i = 0; i < 4000; ++i)
    {
        presets.push_back (presetOf (i));

        if (i % 2 == 0)
            engine->sendPreset (noSlot, presets.back());
        else
            engine->requestPreset (noSlot, presets.back());

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
            dropped += lost;
        }

        int batches = 0, arrived = 0, dropped = 0;
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
    EXPECT_EQ (recorder.dropped, sent - static_cast<int> (MidiTraffic::maximumPending)) << "not bounded";

    MessageLoop::runFor (3 * MidiTraffic::frameMilliseconds);
    const auto batches = recorder.batches;
    MessageLoop::runFor (5 * MidiTraffic::frameMilliseconds);
    EXPECT_EQ (recorder.batches, batches) << "deliveries go on after the flood";
    traffic->removeListener (&recorder);
}
