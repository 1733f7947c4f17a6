// The reassembly JUCE's ALSA input thread runs on every incoming sequencer event: the project's
// bounded copy, which the audio-devices module is built with.
#include "BoundedMidiDataConcatenator.h"
#include "HexFile.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <optional>
#include <vector>

namespace
{
/** The longest incoming message the editor must still take: far above the controller's 146 bytes. */
constexpr int longestMessage = 64 * 1024;

/** What the reassembly hands on, as the ALSA client receives it. */
struct Received
{
    void handleIncomingMidiMessage (Received*, const juce::MidiMessage& message)
    {
        messages.emplace_back (message.getRawData(), message.getRawDataSize());
        longestDelivered = juce::jmax (longestDelivered, message.getRawDataSize());
    }

    void handlePartialSysexMessage (Received*, const juce::uint8*, int numBytesSoFar, double)
    {
        longestPartial = juce::jmax (longestPartial, numBytesSoFar);
    }

    std::vector<ByteArray> messages;
    int longestDelivered = 0, longestPartial = 0;
};

/** A reassembly made as the ALSA input thread makes its own, fed one chunk per sequencer event. */
struct Reassembly
{
    void push (const ByteArray& chunk) { push (chunk.begin(), chunk.size()); }
    void push (const juce::uint8* bytes, int size)
    {
        concatenator.pushMidiData (bytes, size, 0.0, &received, received);
    }

    karvelo::BoundedMidiDataConcatenator concatenator{ 2048 };
    Received received;
};

/** Bytes taken from the C heap, in arenas and mapped blocks; nothing under a sanitizer, whose
    allocator mallinfo2 does not see. */
std::optional<long long> heapInUse()
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return {};
#else
    const auto info = mallinfo2();
    return static_cast<long long> (info.uordblks + info.hblkhd);
#endif
}

ByteArray slice (const ByteArray& bytes, int start, int end)
{
    return ByteArray (bytes.begin() + start, end - start);
}
} // namespace

TEST (MidiByteStream, UnterminatedStaysBounded)
{
    const auto reply = HexFile::read ("factory_preset.hex");
    Reassembly reassembly;
    const auto heapBefore = heapInUse();

    // F0 and ten megabytes of data bytes, in the 256-byte pieces the sequencer cuts a device's
    // system-exclusive bytes into; no F7.
    constexpr int piece = 256;
    constexpr int floodSize = 10 * 1024 * 1024;
    juce::uint8 chunk[piece];

    for (int sent = 0; sent < floodSize; sent += piece)
    {
        for (int i = 0; i < piece; ++i)
            chunk[i] = static_cast<juce::uint8> (sent + i == 0 ? 0xf0 : (sent + i) & 0x7f);

        reassembly.push (chunk, piece);
    }

    const auto heapFlat = [&] { return ! heapBefore || *heapInUse() - *heapBefore < 256 * 1024; };
    EXPECT_TRUE (heapFlat());

    // The device ends the message at last, then answers a request in two pieces.
    reassembly.push ({ 0xf7 });
    reassembly.push (slice (reply, 0, 100));
    reassembly.push (slice (reply, 100, reply.size()));

    ASSERT_LE (reassembly.received.longestPartial, longestMessage);
    ASSERT_LE (reassembly.received.longestDelivered, longestMessage);
    EXPECT_EQ (reassembly.received.messages, std::vector<ByteArray>{ reply });
    EXPECT_TRUE (heapFlat());
}

TEST (MidiByteStream, Resynchronises)
{
    const auto reply = HexFile::read ("factory_preset.hex");
    Reassembly reassembly;

    // A message cut short by the F0 of a reply that arrives in the middle of a chunk and goes on
    // in the next one; then one cut short by a note split across two chunks.
    ByteArray start{ 0x03, 0xf0 };
    start.addArray (slice (reply, 1, 99));
    reassembly.push ({ 0xf0, 0x01, 0x02 });
    reassembly.push (start);
    reassembly.push (slice (reply, 99, reply.size()));
    reassembly.push ({ 0xf0, 0x05, 0x90, 0x3c });
    reassembly.push ({ 0x7f });

    EXPECT_EQ (reassembly.received.messages, (std::vector<ByteArray>{ reply, { 0x90, 0x3c, 0x7f } }));

    // The longest message taken is delivered whole; one byte more and nothing of it is.
    for (const int size : { longestMessage, longestMessage + 1 })
    {
        ByteArray message;
        message.resize (size);
        message.fill (0x11);
        message.set (0, 0xf0);
        message.set (size - 1, 0xf7);
        reassembly.received.messages.clear();

        for (int sent = 0; sent < size; sent += 256)
            reassembly.push (message.begin() + sent, juce::jmin (256, size - sent));

        reassembly.push ({ 0xf8 });
        ASSERT_LE (reassembly.received.longestDelivered, longestMessage);

        const auto expected = size <= longestMessage ? std::vector<ByteArray>{ message, { 0xf8 } }
                                                     : std::vector<ByteArray>{ { 0xf8 } };
        EXPECT_EQ (reassembly.received.messages, expected);
    }
}
