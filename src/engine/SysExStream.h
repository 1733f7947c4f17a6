#pragma once

#include "model/ByteArray.h"

#include <vector>

/** A stream of MIDI bytes as a `.syx` file holds it: what a librarian saves (system-exclusive
    messages one after another) or what a raw MIDI capture records (anything the device sent,
    notes, clock and running status included).

    The stream is cut into messages as a MIDI receiver would: a system-exclusive message runs from
    F0 to F7, real-time bytes (F8 to FF) inside it are messages of their own and not part of it,
    and any other status byte before its F7 ends it unfinished. Channel messages follow running
    status. Data bytes with no status to belong to are stray and belong to no message.
*/
namespace SysExStream
{
struct Message
{
    int start = 0;          ///< offset of its first byte in the stream
    int end = 0;            ///< offset just past its last byte (real-time bytes inside included)
    ByteArray bytes;        ///< its own bytes, F0 and F7 included for a system-exclusive message
    bool truncated = false; ///< a system-exclusive message that never reached its F7

    bool isSysEx() const noexcept { return ! bytes.isEmpty() && bytes[0] == 0xf0; }
};

struct Contents
{
    std::vector<Message> messages;
    int strayBytes = 0;
};

Contents split (const juce::uint8* data, size_t size);

/** Whether the message begins as a Karvelo preset message does (F0, manufacturer 0x47, any device
    byte, product 0x31, SendPreset or PresetData), whatever its length. */
bool looksLikePreset (const Message& message);

/** Whether it is a whole Karvelo preset message: looksLikePreset, the length field 01 0A, 146
    bytes in all and F7 at the end. */
bool isPreset (const Message& message);
} // namespace SysExStream
