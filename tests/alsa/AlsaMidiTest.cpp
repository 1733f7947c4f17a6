#include "HexFile.h"
#include "MessageLoop.h"
#include "MidiListenerRecorder.h"
#include "ResultRecorder.h"
#include "SimulatedKarvelo.h"
#include "StandIn.h"
#include "app/MidiSetupComponent.h"
#include "engine/JuceMidiDeviceLayer.h"
#include "engine/KARVELOEditorEngine.h"
#include "engine/SysExProtocol.h"

#include <gtest/gtest.h>
#include <link.h>
#include <malloc.h>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// The sanitizers' allocator keeps the heap; their runtime exports this (GCC ships no header for it).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace
{
using Bytes = StandInDevice::Bytes;
using Request = OrvikEditorEngine::RequestResult;
/** Hands an answer, F0 to F7, to the sequencer through the device. */
using Delivery = std::function<void (StandInDevice& device, const ByteArray& answer)>;

Bytes bytesOf (const ByteArray& bytes)
{
    return { bytes.begin(), bytes.end() };
}

/** A machine with the sequencer's "Midi Through" client and the Karvelo plugged in (the client
    "Karvelo" with the port "Karvelo MIDI 1", answering SendPreset and RequestPreset as
    SimulatedKarvelo does, on the editor's sending thread, delivered as the test chooses), and the
    editor's MIDI manager on JUCE's real devices, with both ports named "Karvelo" open and an engine
    with short timers on it, its results recorded. */
class AlsaMidiFixture : public ::testing::Test
{
protected:
    static constexpr int timeout = 300;

    AlsaMidiFixture()
    {
        through.plugIn (14);
        karvelo.receiver = [this] (const Bytes& bytes)
        {
            std::unique_lock<std::mutex> sl (lock);
            const ByteArray message (bytes.data(), static_cast<int> (bytes.size()));
            heardByKarvelo.push_back (message);
            const auto answer = SimulatedKarvelo::answerTo (message, block);
            const auto deliver = delivery;
            sl.unlock();

            if (! answer.isEmpty())
                deliver (karvelo, answer);
        };
        karveloClient = karvelo.plugIn();
        manager->addListener (&heard);
        engine->addListener (&results);
        manager->openMidiInput ("Karvelo");
        manager->openMidiOutput ("Karvelo");
    }

    ~AlsaMidiFixture() override { manager->removeListener (&heard); }

    /** The factory block, its first controller number changed to n. */
    static ByteArray blockNumbered (int n)
    {
        auto numbered = HexFile::factoryBlock();
        numbered.set (1, static_cast<juce::uint8> (n & 0x7f));
        return numbered;
    }

    /** The controller answers from this block from now on, through the delivery. */
    void answerWith (const ByteArray& newBlock, Delivery newDelivery = wholeMessages)
    {
        const std::lock_guard<std::mutex> sl (lock);
        block = newBlock;
        delivery = std::move (newDelivery);
    }

    /** A request for a preset, its result awaited as the nth and the preset returned. */
    KARVELOEditorPreset::Ptr request (size_t nth)
    {
        auto preset = engine->createKarveloPreset();
        engine->requestPreset (SysExProtocol::noSlot, preset);
        EXPECT_TRUE (MessageLoop::runUntil ([&] { return results.requests.size() == nth; }));
        return preset;
    }

    static void wholeMessages (StandInDevice& d, const ByteArray& answer) { d.sendSysex (bytesOf (answer)); }

    StandInDevice through{ "Midi Through", { { "Midi Through Port-0" } } };
    StandInDevice karvelo{ "Karvelo", { { "Karvelo MIDI 1" } } };
    int karveloClient = -1;
    std::mutex lock;
    ByteArray block = HexFile::factoryBlock();
    Delivery delivery = wholeMessages;
    std::vector<ByteArray> heardByKarvelo; // each event reaching it, as bytes
    MidiListenerRecorder heard;
    ResultRecorder results; // both outlive the manager and the engine
    MidiManager::Ptr manager{ new MidiManager (std::make_unique<JuceMidiDeviceLayer>(), 5) };
    KARVELOEditorEngine::Ptr engine{ new KARVELOEditorEngine (manager, timeout, timeout) };
};
} // namespace

TEST_F (AlsaMidiFixture, ListsOpensAndSends)
{
    ASSERT_EQ (dl_iterate_phdr ([] (dl_phdr_info* info, size_t, void*)
                                { return juce::String (info->dlpi_name).contains ("libasound") ? 1 : 0; },
                                nullptr),
               0)
        << "libasound is loaded";
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

    // MIDI Setup shows the ports open selected.
    MidiSetupComponent panel (createOKButton(), createCancelButton(), createApplyButton());
    panel.refreshDeviceLists (*manager);
    EXPECT_EQ (panel.getSelectedInputDeviceName(), "Karvelo MIDI 1");
    EXPECT_EQ (panel.getSelectedOutputDeviceName(), "Karvelo MIDI 1");

    // The exact bytes both ways, the preset sent as one event.
    karvelo.sendMessages ({ 0xb0, 21, 64 });
    manager->sendMidiMessage (juce::MidiMessage::noteOn (2, 5, static_cast<juce::uint8> (100)));
    auto preset = engine->createKarveloPreset();
    ASSERT_TRUE (preset->setData (HexFile::factoryBlock()));
    engine->sendPreset (SysExProtocol::noSlot, preset);
    engine->requestPreset (SysExProtocol::noSlot, preset);
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return results.total() == 2; }));
    EXPECT_EQ (results.sends.front().result, OrvikEditorEngine::SendResult::acknowledged);
    EXPECT_EQ (results.requests, std::vector<int>{ Request::received });
    EXPECT_EQ (heard.getMessages().front(), (ByteArray{ 0xb0, 21, 64 }));
    EXPECT_EQ (heardByKarvelo,
               (std::vector<ByteArray>{ ByteArray{ 0x91, 5, 100 }, HexFile::read ("send_preset_factory.hex"),
                                        HexFile::read ("request_preset.hex") }));

    // A port of exactly the name asked for comes first. Every port closed and the chosen ones opened
    // at once, as MIDI Setup applies a choice, the input is still heard after JUCE's input thread
    // has looked at whether it should stop.
    StandInDevice exact{ "Karvelo Editor bridge", { { "Karvelo" } } };
    exact.plugIn();

    for (int i = 0; i < 2; ++i)
    {
        manager->closeAllMidiInputs();
        manager->closeAllMidiOutputs();
        manager->openMidiInput ("Karvelo");
        manager->openMidiOutput ("Karvelo");
        EXPECT_EQ (manager->getOpenMidiInputNames(), juce::StringArray ("Karvelo"));
        EXPECT_EQ (manager->getOpenMidiOutputNames(), juce::StringArray ("Karvelo"));
        MessageLoop::runFor (250);
        const auto before = heard.getMessages().size();
        exact.sendMessages ({ 0xb0, 7, static_cast<unsigned char> (i) });
        ASSERT_TRUE (MessageLoop::runUntil ([&] { return heard.getMessages().size() == before + 1; }))
            << "after choice " << i;
    }

    // All along, the device poll kept the one sequencer client it opened.
    EXPECT_EQ (StandInSequencer::getApplicationClientNames(), std::vector<std::string>{ "JUCE" });
}

TEST_F (AlsaMidiFixture, ReplyInPieces)
{
    // The reply in random pieces, with other messages before, between and after them.
    juce::Random random (146);
    std::vector<ByteArray> expected;
    answerWith (blockNumbered (5),
                [&] (StandInDevice& d, const ByteArray& answer)
                {
                    d.sendMessages ({ 0x90, 1, 100, 0xb0, 21, 64 });
                    expected = { ByteArray{ 0x90, 1, 100 }, ByteArray{ 0xb0, 21, 64 } };

                    for (int start = 0; start < answer.size();)
                    {
                        const auto end = std::min (answer.size(), start + 1 + random.nextInt (30));
                        d.sendSysex (Bytes (answer.begin() + start, answer.begin() + end));

                        if ((start = end) < answer.size())
                        {
                            d.sendMessages ({ 0xf8 });
                            expected.push_back (ByteArray{ 0xf8 });
                        }
                    }

                    expected.push_back (answer);
                    d.sendMessages ({ 0x80, 1, 0 });
                    expected.push_back (ByteArray{ 0x80, 1, 0 });
                });

    EXPECT_EQ (request (1)->getData(), blockNumbered (5));
    EXPECT_EQ (results.requests.back(), Request::received);
    EXPECT_EQ (heard.getMessages(), expected);
}

TEST_F (AlsaMidiFixture, UnplugMidReply)
{
    answerWith (block,
                [] (StandInDevice& d, const ByteArray& answer)
                {
                    d.sendSysex (Bytes (answer.begin(), answer.begin() + 70));
                    d.unplug();
                });
    const auto unplugged = request (1);
    EXPECT_EQ (results.requests.back(), Request::noReply);
    EXPECT_EQ (unplugged->getData(), engine->createKarveloPreset()->getData());
    ASSERT_TRUE (MessageLoop::runUntil (
        [&] { return manager->getNumOpenMidiInputs() + manager->getNumOpenMidiOutputs() == 0; }));
    EXPECT_EQ (manager->getAwaitedMidiInputNames(), juce::StringArray ("Karvelo"));
    EXPECT_EQ (manager->getAwaitedMidiOutputNames(), juce::StringArray ("Karvelo"));

    // Back under a new client number.
    answerWith (blockNumbered (7));
    EXPECT_NE (karvelo.plugIn(), karveloClient);
    ASSERT_TRUE (MessageLoop::runUntil (
        [&] { return manager->getNumOpenMidiInputs() + manager->getNumOpenMidiOutputs() == 2; }));
    EXPECT_EQ (request (2)->getData(), blockNumbered (7));
    EXPECT_EQ (results.requests.back(), Request::received);

    for (auto& names : heard.reports)
        EXPECT_EQ (names, juce::StringArray ("Karvelo MIDI 1"));
}

TEST_F (AlsaMidiFixture, EndlessSysexBounded)
{
    constexpr size_t streamed = 4 << 20, piece = 4096, piecesBetweenWaits = 64;
    const auto allocatedBytes = []
    {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
        return static_cast<long long> (__sanitizer_get_current_allocated_bytes());
#else
        const auto info = mallinfo2();
        return static_cast<long long> (info.uordblks + info.hblkhd);
#endif
    };

    EXPECT_EQ (request (1)->getData(), block); // what the first exchange allocates for good is not growth
    const auto before = allocatedBytes();

    // A controller gone wrong: a message that starts and never ends, in pieces as a cable delivers it.
    Bytes first (piece, 0x55);
    first[0] = 0xf0;
    karvelo.sendSysex (first);

    for (size_t sent = piece; sent < streamed; sent += piece)
    {
        karvelo.sendSysex (Bytes (piece, 0x55));

        if ((sent / piece) % piecesBetweenWaits == 0)
        {
            ASSERT_TRUE (StandInSequencer::waitUntilTaken());
        }
    }

    ASSERT_TRUE (StandInSequencer::waitUntilTaken());
    answerWith (blockNumbered (3));
    EXPECT_EQ (request (2)->getData(), blockNumbered (3));
    EXPECT_EQ (results.requests.back(), Request::received);
    EXPECT_LT (allocatedBytes() - before, 1 << 20)
        << "after " << streamed << " bytes of one unterminated message";

    for (auto& message : heard.getMessages())
        EXPECT_LE (message.size(), 64 << 10);
}
