// The reassembly JUCE's ALSA input thread runs on every incoming sequencer event: the project's
// bounded copy, which the audio-devices module is built with.
#include "BoundedMidiDataConcatenator.h"
#include "HexFile.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <vector>

namespace
{
/** A reassembly made as the ALSA input thread makes its own, fed one chunk per sequencer event,
    with what it hands on. */
struct Reassembly
{
    void push (const ByteArray& chunk)
    {
        concatenator.pushMidiData (chunk.begin(), chunk.size(), 0.0, this, *this);
    }

    /** In the 256-byte pieces the sequencer cuts a device's system-exclusive bytes into. */
    void pushInPieces (const ByteArray& bytes)
    {
        for (int sent = 0; sent < bytes.size(); sent += 256)
            push (ByteArray (bytes.begin() + sent, juce::jmin (256, bytes.size() - sent)));
    }

    void handleIncomingMidiMessage (Reassembly*, const juce::MidiMessage& message)
    {
        messages.emplace_back (message.getRawData(), message.getRawDataSize());
    }

    void handlePartialSysexMessage (Reassembly*, const juce::uint8*, int, double) {}

    karvelo::BoundedMidiDataConcatenator concatenator{ 2048 };
    std::vector<ByteArray> messages;
};

/** F0 and data bytes up to this size, ended by F7 or not. */
ByteArray sysex (int size, bool ended)
{
    ByteArray message;
    message.insertMultiple (0, 0x55, size);
    message.set (0, 0xf0);
    message.set (size - 1, ended ? 0xf7 : 0x55);
    return message;
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// The sanitizers' allocator keeps the heap; their runtime exports this (GCC ships no header for it).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

/** Bytes taken from the heap: from the C library's arenas and mapped blocks, or the sanitizer's. */
long long heapInUse()
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return static_cast<long long> (__sanitizer_get_current_allocated_bytes());
#else
    const auto info = mallinfo2();
    return static_cast<long long> (info.uordblks + info.hblkhd);
#endif
}
} // namespace

TEST (MidiByteStream, UnterminatedStaysBounded)
{
    const auto reply = HexFile::read ("factory_preset.hex");
    const auto flood = sysex (10 << 20, false);
    Reassembly reassembly;
    const auto heapBefore = heapInUse();
    const auto heapFlat = [&] { return heapInUse() - heapBefore < 256 * 1024; };

    reassembly.pushInPieces (flood);
    EXPECT_TRUE (heapFlat());

    // The device ends the message at last, then answers a request.
    reassembly.push ({ 0xf7 });
    reassembly.push (reply);
    EXPECT_EQ (reassembly.messages, std::vector<ByteArray>{ reply });
    EXPECT_TRUE (heapFlat());
}

TEST (MidiByteStream, Resynchronises)
{
    const auto reply = HexFile::read ("factory_preset.hex");
    Reassembly reassembly;

    // A message cut short by the F0 of a reply that arrives in the middle of a chunk and goes on
    // in the next one; then one cut short by a note split across two chunks.
    ByteArray start{ 0x03 };
    start.addArray (reply.begin(), 99);
    reassembly.push ({ 0xf0, 0x01, 0x02 });
    reassembly.push (start);
    reassembly.push (ByteArray (reply.begin() + 99, reply.size() - 99));
    reassembly.push ({ 0xf0, 0x05, 0x90, 0x3c });
    reassembly.push ({ 0x7f });
    EXPECT_EQ (reassembly.messages, (std::vector<ByteArray>{ reply, { 0x90, 0x3c, 0x7f } }));

    // The longest message taken, 64 KiB (far above the controller's 146 bytes), is delivered whole; one
    // byte more and nothing of it is.
    for (const int size : { 64 * 1024, 64 * 1024 + 1 })
    {
        reassembly.messages.clear();
        reassembly.pushInPieces (sysex (size, true));
        reassembly.push ({ 0xf8 });
        EXPECT_EQ (reassembly.messages,
                   (size == 64 * 1024 ? std::vector<ByteArray>{ sysex (size, true), { 0xf8 } }
                                      : std::vector<ByteArray>{ { 0xf8 } }));
    }
}
