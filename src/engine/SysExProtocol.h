#pragma once

#include "model/EditorPreset.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <optional>

/** The system-exclusive messages exchanged with the controller.

    Frame of the messages the editor builds, offsets from the leading 0xF0:
      0 F0 | 1 manufacturer 0x47 | 2 device 0x00 | 3 product id | 4 command
      | 5 payload length >> 7 | 6 payload length & 0x7F | 7.. payload | F7

    The controller answers a SendPreset with a 10-byte acknowledgement (command 0x11 at offset 4),
    and a RequestPreset with a PresetData message that carries its 138-byte preset block. A preset
    file holds exactly the bytes of a PresetData message.
*/
namespace SysExProtocol
{
enum class Command : juce::uint8
{
    sendPreset = 0x64,
    requestPreset = 0x66,
    presetData = 0x67,
    presetAcknowledge = 0x11
};

constexpr juce::uint8 sysExStart = 0xf0;
constexpr juce::uint8 sysExEnd = 0xf7;
constexpr juce::uint8 manufacturerId = 0x47;
constexpr juce::uint8 deviceByte = 0x00;

/** Bytes before the payload, 0xF0 included. */
constexpr int headerSize = 7;
/** The 0xF7 after the payload. */
constexpr int terminatorSize = 1;
constexpr int commandOffset = 4;
constexpr int acknowledgementSize = 10;

/** Size of a SendPreset or PresetData message (and of a preset file) carrying a block of this size. */
constexpr int presetMessageSize (int blockSize)
{
    return headerSize + blockSize + terminatorSize;
}

/** A slot number that means "no slot": no message of the editor carries a slot byte. */
constexpr int noSlot = -1;

/** The header without the leading 0xF0: manufacturer, device, product id and command, then for
    SendPreset and PresetData the payload length (the preset's data size, plus one with a slot) and
    the slot byte, for RequestPreset the bytes 00 01 and the slot byte. */
ByteArray buildHeader (int productId, const EditorPreset& preset, Command command, int slot);

/** SendPreset carrying the preset's block. */
juce::MidiMessage createSendPresetMessage (int productId, const EditorPreset& preset);

/** RequestPreset: F0 47 00 <product> 66 00 01 F7. Its length field reads 00 01 although no
    payload follows; the controller expects exactly these bytes. */
juce::MidiMessage createRequestPresetMessage (int productId, const EditorPreset& preset);

/** The PresetData message for the preset's block, as bytes: the content of a preset file. */
ByteArray createFileImage (int productId, const EditorPreset& preset);

enum class MessageKind
{
    ignored,
    presetReply,
    acknowledgement
};

/** Decides what an incoming message is. Only the first byte, the total length and the command byte
    are examined: a reply is a system-exclusive message of the expected reply length with 0x67 at
    offset 4; an acknowledgement one of exactly 10 bytes with 0x11 there. */
MessageKind recognise (const juce::uint8* data, int size, int expectedReplyLength);

/** Cuts the 7 header bytes and the final byte off a PresetData message (or file image) and hands
    what remains to the preset's setData, which validates the whole block before storing any of it.
    Returns whether the preset accepted it. */
bool storePayload (const ByteArray& message, EditorPreset& preset);

/** Builds a MidiMessage from raw bytes when they form one well-formed message: a system-exclusive
    message from F0 to F7, or a channel or system message of the length its status byte demands.
    juce::MidiMessage's own constructor asserts on anything else. */
std::optional<juce::MidiMessage> toMidiMessage (const juce::uint8* data, int size, double timeStamp = 0.0);
} // namespace SysExProtocol
