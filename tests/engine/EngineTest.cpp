#include "EngineFixture.h"
#include "HexFile.h"
#include "TemporaryFolder.h"
#include "engine/SysExProtocol.h"

namespace
{
ByteArray bytesOf (const juce::MidiMessage& message)
{
    return ByteArray (message.getRawData(), message.getRawDataSize());
}

juce::MidiMessage acknowledgement()
{
    const auto bytes = HexFile::read ("acknowledgement.hex");
    return juce::MidiMessage (bytes.begin(), bytes.size());
}

juce::MidiMessage replyCarrying (const ByteArray& block)
{
    ByteArray reply{ 0x47, 0x00, 0x31, 0x67, 0x01, 0x0a };
    reply.addArray (block);
    return juce::MidiMessage::createSysExMessage (reply.begin(), reply.size());
}

using Faults = SimulatedKarvelo::Faults;
using Send = OrvikEditorEngine::SendResult;
using Request = OrvikEditorEngine::RequestResult;
} // namespace

TEST_F (EngineFixture, AcknowledgedSendEndsOnceWithTheControllerHoldingTheBlock)
{
    auto preset = presetWith (blockOf (3));

    call ([&] { engine->sendPreset (SysExProtocol::noSlot, preset); });
    ASSERT_TRUE (waitForResults (1));
    settle();

    ASSERT_EQ (results.sends.size(), 1u);
    EXPECT_EQ (results.sends[0].result, Send::acknowledged);
    EXPECT_EQ (results.sends[0].preset.get(), preset.get());
    EXPECT_EQ (controller.getBlock(), blockOf (3));
    EXPECT_EQ (controller.getEditorOutput()->getReceived(),
               std::vector<ByteArray>{ bytesOf (SysExProtocol::createSendPresetMessage (0x31, *preset)) });
    EXPECT_EQ (engine->getNumPendingSends(), 0);
    EXPECT_FALSE (results.deliveredInsideACall);
    EXPECT_FALSE (results.deliveredOffTheMessageThread);
}

TEST_F (EngineFixture, SendWithoutAnOutputEndsAtOnceInResultZeroAndSendsNothing)
{
    manager->closeAllMidiOutputs();
    auto preset = presetWith (blockOf (1));

    call ([&] { engine->sendPreset (SysExProtocol::noSlot, preset); });
    EXPECT_EQ (results.total(), 0u);
    settle();

    ASSERT_EQ (results.sends.size(), 1u);
    EXPECT_EQ (results.sends[0].result, Send::noOutput);
    EXPECT_EQ (results.sends[0].preset.get(), preset.get());
    EXPECT_TRUE (controller.getEditorOutput()->getReceived().empty());
    EXPECT_FALSE (results.deliveredInsideACall);
}

TEST_F (EngineFixture, TwoSendsAndOneAcknowledgementEndTheFirstThenTheSecondByItsTimer)
{
    controller.setFaults (only (&Faults::noAnswer));
    auto first = presetWith (blockOf (1));
    auto second = presetWith (blockOf (2));

    engine->sendPreset (SysExProtocol::noSlot, first);
    engine->sendPreset (SysExProtocol::noSlot, second);
    controller.sendFromController (acknowledgement());

    ASSERT_TRUE (waitForResults (1));
    EXPECT_EQ (results.sends[0].result, Send::acknowledged);
    EXPECT_EQ (results.sends[0].preset.get(), first.get());
    EXPECT_EQ (engine->getNumPendingSends(), 1);

    ASSERT_TRUE (waitForResults (2));
    settle();
    ASSERT_EQ (results.sends.size(), 2u);
    EXPECT_EQ (results.sends[1].result, Send::noAcknowledgement);
    EXPECT_EQ (results.sends[1].preset.get(), second.get());
}

TEST_F (EngineFixture, EverySendWithoutAnswerEndsByItsOwnTimer)
{
    controller.setFaults (only (&Faults::noAnswer));
    std::vector<KARVELOEditorPreset::Ptr> presets;

    for (int i = 0; i < 3; ++i)
    {
        presets.push_back (presetWith (blockOf (static_cast<juce::uint8> (i))));
        engine->sendPreset (SysExProtocol::noSlot, presets.back());
        MessageLoop::runFor (timeout / 3);
    }

    ASSERT_TRUE (waitForResults (3));
    settle();
    ASSERT_EQ (results.sends.size(), 3u);

    for (size_t i = 0; i < 3; ++i)
    {
        EXPECT_EQ (results.sends[i].result, Send::noAcknowledgement);
        EXPECT_EQ (results.sends[i].preset.get(), presets[i].get());
    }
}

TEST_F (EngineFixture, LateAcknowledgementIsReportedWithoutAPreset)
{
    controller.setAnswerDelay (timeout * 2);
    auto preset = presetWith (blockOf (5));

    engine->sendPreset (SysExProtocol::noSlot, preset);
    ASSERT_TRUE (waitForResults (2));
    settle();

    ASSERT_EQ (results.sends.size(), 2u);
    EXPECT_EQ (results.sends[0].result, Send::noAcknowledgement);
    EXPECT_EQ (results.sends[0].preset.get(), preset.get());
    EXPECT_EQ (results.sends[1].result, Send::acknowledged);
    EXPECT_EQ (results.sends[1].preset, nullptr);
}

TEST_F (EngineFixture, AnsweredRequestFillsThePresetWithTheControllersBlock)
{
    controller.setBlock (blockOf (9));
    controller.setFaults (only (&Faults::knobChatter));
    auto preset = presetWith (blockOf (1));

    call ([&] { engine->requestPreset (SysExProtocol::noSlot, preset); });
    EXPECT_EQ (results.total(), 0u);
    ASSERT_TRUE (waitForResults (1));
    settle();

    EXPECT_EQ (results.requests, std::vector<int>{ Request::received });
    EXPECT_EQ (preset->getData(), blockOf (9));
    EXPECT_EQ (controller.getEditorOutput()->getReceived(),
               std::vector<ByteArray>{ HexFile::read ("request_preset.hex") });
    EXPECT_FALSE (results.deliveredInsideACall);
}

TEST_F (EngineFixture, RejectedRepliesLeaveThePresetAndEndByTheTimer)
{
    controller.setBlock (blockOf (9));

    for (const auto& faults : { only (&Faults::corruptedReply), only (&Faults::wrongLengthReply) })
    {
        results.requests.clear();
        controller.setFaults (faults);
        auto preset = presetWith (blockOf (1));

        engine->requestPreset (SysExProtocol::noSlot, preset);
        ASSERT_TRUE (waitForResults (1));
        settle();

        EXPECT_EQ (results.requests, std::vector<int>{ Request::noReply });
        EXPECT_EQ (preset->getData(), blockOf (1));
        EXPECT_EQ (engine->getNumPendingRequests(), 0);
    }
}

TEST_F (EngineFixture, ReplyAfterARejectedOneGoesToTheNextRequest)
{
    controller.setFaults (only (&Faults::noAnswer));
    auto first = presetWith (blockOf (1));
    auto second = presetWith (blockOf (2));
    engine->requestPreset (SysExProtocol::noSlot, first);
    engine->requestPreset (SysExProtocol::noSlot, second);

    auto corrupted = blockOf (7);
    corrupted.set (0, 0x80);
    controller.sendFromController (replyCarrying (corrupted));
    controller.sendFromController (replyCarrying (blockOf (7)));

    ASSERT_TRUE (waitForResults (2));
    settle();
    EXPECT_EQ (results.requests, (std::vector<int>{ Request::received, Request::noReply }));
    EXPECT_EQ (first->getData(), blockOf (1));
    EXPECT_EQ (second->getData(), blockOf (7));
}

TEST_F (EngineFixture, ReplyOrAcknowledgementWithNothingPending)
{
    controller.sendFromController (replyCarrying (blockOf (4)));
    controller.waitUntilIdle();
    settle();
    EXPECT_EQ (results.total(), 0u);

    controller.sendFromController (acknowledgement());
    ASSERT_TRUE (waitForResults (1));
    EXPECT_EQ (results.sends[0].result, Send::acknowledged);
    EXPECT_EQ (results.sends[0].preset, nullptr);
}

TEST_F (EngineFixture, RequestWithoutAnInputIsRefusedAndWithoutAnOutputTimesOut)
{
    auto preset = presetWith (blockOf (1));
    manager->closeAllMidiOutputs();

    engine->requestPreset (SysExProtocol::noSlot, preset);
    ASSERT_TRUE (waitForResults (1));
    EXPECT_EQ (results.requests, std::vector<int>{ Request::noReply });
    EXPECT_TRUE (controller.getEditorOutput()->getReceived().empty());

    manager->closeAllMidiInputs();
    engine->requestPreset (SysExProtocol::noSlot, preset);
    ASSERT_TRUE (waitForResults (2));
    settle();
    EXPECT_EQ (results.requests, (std::vector<int>{ Request::noReply, Request::noInput }));
}

TEST_F (EngineFixture, UnplugDuringATransferThenReplugAndSendAgain)
{
    controller.setFaults (only (&Faults::unplugDuringTransfer));
    auto preset = presetWith (blockOf (6));

    engine->sendPreset (SysExProtocol::noSlot, preset);
    ASSERT_TRUE (waitForResults (1));
    EXPECT_EQ (results.sends[0].result, Send::noAcknowledgement);
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return manager->getNumOpenMidiOutputs() == 0; }));
    EXPECT_EQ (manager->getNumOpenMidiInputs(), 0);

    controller.setFaults ({});
    controller.plugIn();
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return manager->getNumOpenMidiOutputs() == 1; }));
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return manager->getNumOpenMidiInputs() == 1; }));

    engine->sendPreset (SysExProtocol::noSlot, preset);
    ASSERT_TRUE (waitForResults (2));
    settle();
    ASSERT_EQ (results.sends.size(), 2u);
    EXPECT_EQ (results.sends[1].result, Send::acknowledged);
    EXPECT_EQ (controller.getBlock(), blockOf (6));
}

TEST_F (EngineFixture, DestroyedEngineReceivesNothingMore)
{
    for (int i = 0; i < 500; ++i)
        controller.sendFromController (acknowledgement());

    MessageLoop::runUntil ([&] { return results.total() > 5; });
    engine->removeListener (&results);
    engine = nullptr; // the controller is still sending on its input thread
    controller.waitUntilIdle();
    MessageLoop::drain();
    engine = new KARVELOEditorEngine (manager, timeout, timeout);
    engine->addListener (&results);
}

//==============================================================================
class EngineFileTest : public EngineFixture
{
protected:
    TemporaryFolder temporaryFolder;
    const juce::File& folder = temporaryFolder.get();
};

TEST_F (EngineFileTest, OpenAndSaveReportTheirResultsLater)
{
    auto preset = presetWith (blockOf (2));
    const auto good = folder.getChildFile ("good.karvelo");
    const auto factory = HexFile::read ("factory_preset.hex");
    ASSERT_TRUE (good.replaceWithData (factory.begin(), 146));
    const auto wrongSize = folder.getChildFile ("short.karvelo");
    ASSERT_TRUE (wrongSize.replaceWithData (factory.begin(), 145));
    auto badBlock = factory;
    badBlock.set (7 + 137, 0x80);
    const auto bad = folder.getChildFile ("bad.karvelo");
    ASSERT_TRUE (bad.replaceWithData (badBlock.begin(), 146));

    call (
        [&]
        {
            engine->openPresetFile (folder.getChildFile ("missing.karvelo"), preset);
            engine->openPresetFile (wrongSize, preset);
            engine->openPresetFile (bad, preset);
        });
    ASSERT_TRUE (waitForResults (3));
    EXPECT_EQ (results.opens, (std::vector<int>{ 1, 0, 0 }));
    EXPECT_EQ (preset->getData(), blockOf (2));

    engine->openPresetFile (good, preset);
    ASSERT_TRUE (waitForResults (4));
    EXPECT_EQ (results.opens.back(), 2);
    EXPECT_EQ (preset->getData(), ByteArray (factory.begin() + 7, 138));

    const auto saved = folder.getChildFile ("saved.karvelo");
    call (
        [&]
        {
            engine->savePresetFile (saved, presetWith (blockOf (8)));
            engine->savePresetFile (juce::File ("/dev/full/x.karvelo"), preset);
        });
    ASSERT_TRUE (waitForResults (6));
    EXPECT_EQ (results.saves, (std::vector<int>{ 1, 0 }));
    EXPECT_EQ (saved.getSize(), 146);
    EXPECT_FALSE (results.deliveredInsideACall);
}
