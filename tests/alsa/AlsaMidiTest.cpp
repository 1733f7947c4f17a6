#include "HexFile.h"
#include "MessageLoop.h"
#include "MidiListenerRecorder.h"
#include "ResultRecorder.h"
#include "SimulatedKarvelo.h"
#include "StandIn.h"
#include "engine/JuceMidiDeviceLayer.h"
#include "engine/KARVELOEditorEngine.h"
#include "engine/SysExProtocol.h"

#include <gtest/gtest.h>

namespace
{
using Bytes = StandInDevice::Bytes;

/** A machine with a "Midi Through Port-0" and the Karvelo plugged in (the port "Karvelo MIDI 1",
    answering SendPreset and RequestPreset from its block as SimulatedKarvelo does, on the message
    thread that sends, through the delivery the test chooses), and the editor's MIDI manager on
    JUCE's real devices, with both ports named "Karvelo" open and an engine with short timers on it,
    its results recorded. */
class AlsaMidiFixture : public ::testing::Test
{
protected:
    AlsaMidiFixture()
    {
        through.plugIn();
        karvelo.receiver = [this] (const Bytes& bytes)
        {
            heardByKarvelo.emplace_back (bytes.data(), static_cast<int> (bytes.size()));
            const auto answer = SimulatedKarvelo::answerTo (heardByKarvelo.back(), block);

            if (! answer.isEmpty())
                delivery ({ answer.begin(), answer.end() });
        };
        karvelo.plugIn();
        manager->addListener (&heard);
        engine->addListener (&results);
        manager->openMidiInput ("Karvelo");
        manager->openMidiOutput ("Karvelo");
    }

    ~AlsaMidiFixture() override { manager->removeListener (&heard); }

    /** A request for a preset, its result awaited as the nth and the preset returned. */
    KARVELOEditorPreset::Ptr request (size_t nth)
    {
        auto preset = engine->createKarveloPreset();
        engine->requestPreset (SysExProtocol::noSlot, preset);
        EXPECT_TRUE (MessageLoop::runUntil ([&] { return results.requests.size() == nth; }));
        return preset;
    }

    StandInDevice through{ "Midi Through Port-0" }, karvelo{ "Karvelo MIDI 1" };
    ByteArray block = HexFile::factoryBlock();
    const std::function<void (const Bytes&)> wholeMessages = [this] (const Bytes& answer)
    { karvelo.send (answer); };
    std::function<void (const Bytes&)> delivery = wholeMessages;
    std::vector<ByteArray> heardByKarvelo; // each event reaching it, as bytes
    MidiListenerRecorder heard;
    ResultRecorder results; // both outlive the manager and the engine
    MidiManager::Ptr manager{ new MidiManager (std::make_unique<JuceMidiDeviceLayer>(), 5) };
    KARVELOEditorEngine::Ptr engine{ new KARVELOEditorEngine (manager, 300, 300) };
};
} // namespace

TEST_F (AlsaMidiFixture, ListsOpensAndSends)
{
    StandInDevice synth{ "Synth MIDI 1", SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE };
    synth.plugIn();

    // The editor's own ports, named "Karvelo MIDI 1" too, take no subscriptions and are not listed.
    EXPECT_EQ (manager->getAvailableMidiInputNames(),
               juce::StringArray ("Midi Through Port-0", "Karvelo MIDI 1"));
    EXPECT_EQ (manager->getAvailableMidiOutputNames(),
               juce::StringArray ("Midi Through Port-0", "Karvelo MIDI 1", "Synth MIDI 1"));

    // The exact bytes sent, the preset as one event (those heard: ReplyAfterFlood).
    manager->sendMidiMessage (juce::MidiMessage::noteOn (2, 5, static_cast<juce::uint8> (100)));
    auto preset = engine->createKarveloPreset();
    ASSERT_TRUE (preset->setData (HexFile::factoryBlock()));
    engine->sendPreset (SysExProtocol::noSlot, preset);
    engine->requestPreset (SysExProtocol::noSlot, preset);
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return results.total() == 2; }));
    EXPECT_EQ (heardByKarvelo,
               (std::vector<ByteArray>{ ByteArray{ 0x91, 5, 100 }, HexFile::read ("send_preset_factory.hex"),
                                        HexFile::read ("request_preset.hex") }));

    // Every input closed and the chosen one opened at once, as MIDI Setup applies a choice: the input
    // is still heard after JUCE's input thread has looked at whether it should stop.
    for (unsigned char i = 0; i < 2; ++i)
    {
        manager->closeAllMidiInputs();
        manager->openMidiInput ("Karvelo");
        MessageLoop::runFor (250);
        const auto before = heard.getMessages().size();
        karvelo.send ({ 0xb0, 7, i });
        ASSERT_TRUE (MessageLoop::runUntil ([&] { return heard.getMessages().size() == before + 1; }));
    }
}

TEST_F (AlsaMidiFixture, ReplyAfterFlood)
{
    // A controller gone wrong: a message that starts and never ends, 4 MiB in pieces as a cable
    // delivers it.
    karvelo.send ({ 0xf0 });

    for (int sent = 0; sent < 1024; ++sent)
        karvelo.send (Bytes (4096, 0x55));

    // Then the reply in random pieces, with other messages before, between and after them.
    juce::Random random (146);
    std::vector<ByteArray> expected{ ByteArray{ 0x90, 1, 100 } };
    block.set (1, 5); // another first controller number
    delivery = [&] (const Bytes& answer)
    {
        karvelo.send ({ 0x90, 1, 100 });

        for (auto start = answer.begin(); start < answer.end();)
        {
            const auto end = std::min (answer.end(), start + 1 + random.nextInt (30));
            karvelo.send (Bytes (start, end));

            if ((start = end) < answer.end())
            {
                karvelo.send ({ 0xf8 });
                expected.push_back (ByteArray{ 0xf8 });
            }
        }

        expected.emplace_back (answer.data(), static_cast<int> (answer.size()));
        expected.push_back (ByteArray{ 0x80, 1, 0 });
        karvelo.send ({ 0x80, 1, 0 });
    };

    EXPECT_EQ (request (1)->getData(), block);
    EXPECT_EQ (heard.getMessages(), expected);
}

TEST_F (AlsaMidiFixture, UnplugMidReply)
{
    delivery = [this] (const Bytes& answer)
    {
        karvelo.send (Bytes (answer.begin(), answer.begin() + 70));
        karvelo.unplug();
    };
    const auto unplugged = request (1);
    EXPECT_EQ (unplugged->getData(), engine->createKarveloPreset()->getData());
    ASSERT_TRUE (MessageLoop::runUntil (
        [&] { return manager->getNumOpenMidiInputs() + manager->getNumOpenMidiOutputs() == 0; }));

    // Back under a new client number: the ports reopen by name and the next load works.
    block.set (1, 7);
    delivery = wholeMessages;
    karvelo.plugIn();
    ASSERT_TRUE (MessageLoop::runUntil (
        [&] { return manager->getNumOpenMidiInputs() + manager->getNumOpenMidiOutputs() == 2; }));
    EXPECT_EQ (request (2)->getData(), block);
    EXPECT_EQ (results.requests, (std::vector<int>{ OrvikEditorEngine::RequestResult::noReply,
                                                    OrvikEditorEngine::RequestResult::received }));
}
