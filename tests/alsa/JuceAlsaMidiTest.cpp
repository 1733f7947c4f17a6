#include "AlsaMidiFixture.h"
#include "HexFile.h"
#include "app/MidiSetupComponent.h"
#include "engine/SysExProtocol.h"

#include <link.h>

namespace
{
using Bytes = StandInDevice::Bytes;
using Request = OrvikEditorEngine::RequestResult;
constexpr int noSlot = SysExProtocol::noSlot;

bool isLibasoundLoaded()
{
    return dl_iterate_phdr ([] (dl_phdr_info* info, size_t, void*)
                            { return juce::String (info->dlpi_name).contains ("libasound") ? 1 : 0; },
                            nullptr)
           != 0;
}

Bytes bytesOf (const ByteArray& bytes)
{
    return { bytes.begin(), bytes.end() };
}

// Cuts the answer where the random cuts fall, and hands each piece on.
template <typename PieceHandler>
void cutAt (juce::Random& random, int longestPiece, const ByteArray& answer, PieceHandler&& handle)
{
    for (int start = 0; start < answer.size();)
    {
        const auto end = std::min (answer.size(), start + 1 + random.nextInt (longestPiece));
        handle (Bytes (answer.begin() + start, answer.begin() + end), end == answer.size());
        start = end;
    }
}
} // namespace

TEST_F (AlsaMidiFixture, ListsAndOpensPorts)
{
    ASSERT_FALSE (isLibasoundLoaded());
    StandInDevice synth{ "Synth",
                         { { "Synth MIDI 1", SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE } } };
    StandInDevice pedal{ "Pedal",
                         { { "Pedal MIDI 1", SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ },
                           { "Pedal private", SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_WRITE } } };
    synth.plugIn();
    pedal.plugIn();

    // Neither the system's ports nor the editor's own (two ports named "Karvelo MIDI 1") are listed.
    EXPECT_EQ (manager->getAvailableMidiInputNames(),
               juce::StringArray ("Midi Through Port-0", "Karvelo MIDI 1", "Pedal MIDI 1"));
    EXPECT_EQ (manager->getAvailableMidiOutputNames(),
               juce::StringArray ("Midi Through Port-0", "Karvelo MIDI 1", "Synth MIDI 1"));
    EXPECT_EQ (manager->getOpenMidiInputNames(), juce::StringArray ("Karvelo MIDI 1"));
    EXPECT_EQ (manager->getOpenMidiOutputNames(), juce::StringArray ("Karvelo MIDI 1"));

    karvelo.device.sendMessages ({ 0xb0, 21, 64 });
    manager->sendMidiMessage (juce::MidiMessage::noteOn (2, 5, static_cast<juce::uint8> (100)));
    EXPECT_TRUE (MessageLoop::runUntil ([&] { return heard.getMessages().size() == 1; }));
    EXPECT_EQ (heard.getMessages(), (std::vector<ByteArray>{ ByteArray{ 0xb0, 21, 64 } }));
    EXPECT_EQ (karvelo.getMessagesReceived(), (std::vector<ByteArray>{ ByteArray{ 0x91, 5, 100 } }));

    // MIDI Setup shows the ports open selected.
    MidiSetupComponent panel (createOKButton(), createCancelButton(), createApplyButton());
    panel.refreshDeviceLists (*manager);
    EXPECT_EQ (panel.getSelectedInputDeviceName(), "Karvelo MIDI 1");
    EXPECT_EQ (panel.getSelectedOutputDeviceName(), "Karvelo MIDI 1");

    // A port of exactly the name asked for comes first.
    StandInDevice exact{ "Karvelo Editor bridge", { { "Karvelo" } } };
    exact.plugIn();
    manager->closeAllMidiInputs();
    manager->closeAllMidiOutputs();
    manager->openMidiInput ("Karvelo");
    manager->openMidiOutput ("Karvelo");
    EXPECT_EQ (manager->getOpenMidiInputNames(), juce::StringArray ("Karvelo"));
    EXPECT_EQ (manager->getOpenMidiOutputNames(), juce::StringArray ("Karvelo"));

    // All along, the device poll kept the one sequencer client it opened.
    EXPECT_EQ (StandInSequencer::get().getApplicationClientNames(), std::vector<std::string>{ "JUCE" });
}

TEST_F (AlsaMidiFixture, ReplyInPieces)
{
    juce::Random random (146);
    std::vector<ByteArray> expectedHeard;
    const std::vector<AlsaKarvelo::Delivery> deliveries{
        [] (StandInDevice& d, const ByteArray& answer) { d.sendSysex (bytesOf (answer)); },
        [] (StandInDevice& d, const ByteArray& answer)
        {
            for (auto byte : answer)
                d.sendSysex ({ byte });
        },
        [&] (StandInDevice& d, const ByteArray& answer)
        { cutAt (random, 40, answer, [&] (const Bytes& piece, bool) { d.sendSysex (piece); }); },
        [&] (StandInDevice& d, const ByteArray& answer)
        {
            d.sendMessages ({ 0x90, 1, 100, 0xb0, 21, 64 });
            expectedHeard.insert (expectedHeard.end(),
                                  { ByteArray{ 0x90, 1, 100 }, ByteArray{ 0xb0, 21, 64 } });
            cutAt (random, 30, answer,
                   [&] (const Bytes& piece, bool last)
                   {
                       d.sendSysex (piece);

                       if (! last)
                       {
                           d.sendMessages ({ 0xf8 });
                           expectedHeard.push_back (ByteArray{ 0xf8 });
                       }
                   });
            expectedHeard.push_back (answer);
            d.sendMessages ({ 0x80, 1, 0 });
            expectedHeard.push_back (ByteArray{ 0x80, 1, 0 });
        },
    };

    for (size_t i = 0; i < deliveries.size(); ++i)
    {
        karvelo.setDelivery (deliveries[i]);
        karvelo.setBlock (blockNumbered (static_cast<int> (i)));
        const auto heardBefore = heard.getMessages().size();
        auto preset = engine->createKarveloPreset();
        engine->requestPreset (noSlot, preset);
        ASSERT_TRUE (MessageLoop::runUntil ([&] { return results.requests.size() == i + 1; }));
        EXPECT_EQ (results.requests.back(), Request::received) << "delivery " << i;
        EXPECT_EQ (preset->getData(), blockNumbered (static_cast<int> (i))) << "delivery " << i;

        if (expectedHeard.empty())
            expectedHeard.push_back (
                SysExProtocol::createFileImage (KARVELOEditorEngine::productId, *preset));

        const auto allHeard = heard.getMessages();
        EXPECT_EQ (
            std::vector<ByteArray> (allHeard.begin() + static_cast<long> (heardBefore), allHeard.end()),
            expectedHeard)
            << "delivery " << i;
        expectedHeard.clear();
    }
}

TEST_F (AlsaMidiFixture, SendsExactBytes)
{
    auto preset = engine->createKarveloPreset();
    ASSERT_TRUE (preset->setData (factoryBlock));
    engine->sendPreset (noSlot, preset);
    engine->requestPreset (noSlot, preset);
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return results.total() == 2; }));

    EXPECT_EQ (results.sends.front().result, OrvikEditorEngine::SendResult::acknowledged);
    EXPECT_EQ (results.requests, std::vector<int>{ Request::received });
    EXPECT_EQ (karvelo.device.getReceived(),
               (std::vector<Bytes>{ bytesOf (HexFile::read ("send_preset_factory.hex")),
                                    bytesOf (HexFile::read ("request_preset.hex")) }));
}

TEST_F (AlsaMidiFixture, UnplugMidReply)
{
    const auto unpluggedClient = karvelo.device.getClientId();
    karvelo.setDelivery (
        [] (StandInDevice& d, const ByteArray& answer)
        {
            d.sendSysex (Bytes (answer.begin(), answer.begin() + 70));
            d.unplug();
        });
    auto preset = engine->createKarveloPreset();
    const auto before = preset->getData();
    engine->requestPreset (noSlot, preset);
    ASSERT_TRUE (MessageLoop::runUntil (
        [&] { return manager->getNumOpenMidiInputs() + manager->getNumOpenMidiOutputs() == 0; }));
    EXPECT_EQ (manager->getAwaitedMidiInputNames(), juce::StringArray ("Karvelo"));
    EXPECT_EQ (manager->getAwaitedMidiOutputNames(), juce::StringArray ("Karvelo"));
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return results.requests.size() == 1; }));
    EXPECT_EQ (results.requests.back(), Request::noReply);
    EXPECT_EQ (preset->getData(), before);

    karvelo.setDelivery ([] (StandInDevice& d, const ByteArray& answer) { d.sendSysex (bytesOf (answer)); });
    karvelo.setBlock (blockNumbered (7));
    EXPECT_NE (karvelo.device.plugIn(), unpluggedClient);
    ASSERT_TRUE (MessageLoop::runUntil (
        [&] { return manager->getNumOpenMidiInputs() + manager->getNumOpenMidiOutputs() == 2; }));
    engine->requestPreset (noSlot, preset);
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return results.requests.size() == 2; }));
    EXPECT_EQ (results.requests.back(), Request::received);
    EXPECT_EQ (preset->getData(), blockNumbered (7));

    for (auto& names : heard.reports)
        EXPECT_EQ (names, juce::StringArray ("Karvelo MIDI 1"));
}

TEST_F (AlsaMidiFixture, PortsChosenAgain)
{
    for (int i = 0; i < 3; ++i)
    {
        // As MIDI Setup applies a choice: every port closed, then the chosen ones opened.
        manager->closeAllMidiOutputs();
        manager->closeAllMidiInputs();
        manager->openMidiInput ("Karvelo MIDI 1");
        manager->openMidiOutput ("Karvelo MIDI 1");

        // Longer than JUCE's input thread waits between two looks at whether it should stop.
        MessageLoop::runFor (250);
        karvelo.device.sendMessages ({ 0xb0, 7, static_cast<unsigned char> (i) });
        ASSERT_TRUE (
            MessageLoop::runUntil ([&] { return heard.getMessages().size() == static_cast<size_t> (i + 1); }))
            << "after choice " << i;
    }
}
