#include "EngineFixture.h"
#include "TemporaryFolder.h"
#include "engine/SysExProtocol.h"

namespace
{
using Faults = SimulatedKarvelo::Faults;
using Send = OrvikEditorEngine::SendResult;
using Request = OrvikEditorEngine::RequestResult;
using Ended = std::vector<std::pair<int, EditorPreset*>>;
constexpr int noSlot = SysExProtocol::noSlot;

Ended sendsEnded (const ResultRecorder& results)
{
    Ended ended;

    for (auto& sent : results.sends)
        ended.emplace_back (sent.result, sent.preset.get());

    return ended;
}

juce::MidiMessage replyCarrying (const ByteArray& block)
{
    ByteArray reply{ 0x47, 0x00, 0x31, 0x67, 0x01, 0x0a };
    reply.addArray (block);
    return juce::MidiMessage::createSysExMessage (reply.begin(), reply.size());
}
} // namespace

TEST_F (EngineFixture, OneResultPerOperation)
{
    auto preset = presetOf (3), unsent = presetOf (1);
    controller.setFaults (only (&Faults::unplugDuringTransfer));
    results.call ([&] { engine->sendPreset (noSlot, preset); });
    ASSERT_TRUE (waitForResults (1));
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return system->getNumOpenPorts() == 0; }));
    controller.setFaults ({});
    controller.plugIn();
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return system->getNumOpenPorts() == 2; }));
    results.call ([&] { engine->sendPreset (noSlot, preset); });
    ASSERT_TRUE (waitForResults (2));

    manager->closeAllMidiOutputs();
    results.call ([&] { engine->sendPreset (noSlot, unsent); });
    results.call ([&] { engine->requestPreset (noSlot, unsent); }); // an input but no output: times out
    ASSERT_TRUE (waitForResults (4));
    manager->closeAllMidiInputs();
    results.call ([&] { engine->requestPreset (noSlot, unsent); });
    ASSERT_TRUE (waitForResults (5));
    settle();

    EXPECT_EQ (sendsEnded (results), (Ended{ { Send::noAcknowledgement, preset.get() },
                                             { Send::acknowledged, preset.get() },
                                             { Send::noOutput, unsent.get() } }));
    EXPECT_EQ (results.requests, (std::vector<int>{ Request::noReply, Request::noInput }));
    // The controller plugged in again got the one message sent since, byte for byte.
    const auto message = SysExProtocol::createSendPresetMessage (0x31, *preset);
    EXPECT_EQ (controller.getEditorOutput()->getReceived(),
               std::vector<ByteArray>{ ByteArray (message.getRawData(), message.getRawDataSize()) });

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
    ASSERT_TRUE (waitForResults (9));
    EXPECT_EQ (results.opens, (std::vector<int>{ 1, 2 })); // missing, loaded
    EXPECT_EQ (results.saves, (std::vector<int>{ 1, 0 })); // written, failed
    EXPECT_EQ (unsent->getData(), blockOf (8));
    EXPECT_FALSE (results.deliveredWrongly());
}

TEST_F (EngineFixture, RepliesAndTimeoutsEndTheRightOperation)
{
    // Notes and control changes around the reply do not disturb it.
    controller.setBlock (blockOf (9));
    controller.setFaults (only (&Faults::knobChatter));
    auto first = presetOf (1), second = presetOf (2), third = presetOf (3);
    engine->requestPreset (noSlot, third);
    ASSERT_TRUE (waitForResults (1));
    EXPECT_EQ (third->getData(), blockOf (9));
    EXPECT_EQ (controller.getEditorOutput()->getReceived(),
               std::vector<ByteArray>{ HexFile::read ("request_preset.hex") });

    controller.setFaults (only (&Faults::noAnswer));
    engine->sendPreset (noSlot, first);
    engine->sendPreset (noSlot, second);
    controller.sendFromController (acknowledgement());
    ASSERT_TRUE (waitForResults (2));
    engine->sendPreset (noSlot, third);
    ASSERT_TRUE (waitForResults (4));

    // A late acknowledgement is reported without a preset; a reply nobody asked for, not at all.
    controller.sendFromController (replyCarrying (blockOf (4)));
    controller.sendFromController (acknowledgement());
    ASSERT_TRUE (waitForResults (5));

    // A reply after a rejected one goes to the next request.
    engine->requestPreset (noSlot, first);
    engine->requestPreset (noSlot, second);
    controller.sendFromController (replyCarrying (HexFile::read ("block_last_byte_80.hex")));
    controller.sendFromController (replyCarrying (blockOf (7)));
    ASSERT_TRUE (waitForResults (7)); // the last, the first request's end by its timer
    EXPECT_EQ (sendsEnded (results), (Ended{ { Send::acknowledged, first.get() },
                                             { Send::noAcknowledgement, second.get() },
                                             { Send::noAcknowledgement, third.get() },
                                             { Send::acknowledged, nullptr } }));
    EXPECT_EQ (results.requests,
               (std::vector<int>{ Request::received, Request::received, Request::noReply }));
    EXPECT_EQ (first->getData(), blockOf (1));
    EXPECT_EQ (second->getData(), blockOf (7));
}

TEST_F (EngineFixture, DestroyedDeliversNothing)
{
    for (int i = 0; i < 500; ++i)
        controller.sendFromController (acknowledgement());

    ASSERT_TRUE (MessageLoop::runUntil ([&] { return results.total() > 5; }));
    engine = nullptr; // while the input thread is still delivering to it
    const auto delivered = results.total();
    controller.waitUntilIdle();
    MessageLoop::drain();
    EXPECT_EQ (results.total(), delivered);
}
