#include "SysExProtocol.h"

namespace SysExProtocol
{
namespace
{
void appendLength (ByteArray& bytes, int length)
{
    bytes.add (static_cast<juce::uint8> ((length >> 7) & 0x7f));
    bytes.add (static_cast<juce::uint8> (length & 0x7f));
}

void appendSlot (ByteArray& bytes, int slot)
{
    if (slot >= 0)
        bytes.add (static_cast<juce::uint8> (slot & 0x7f));
}

juce::MidiMessage wrap (const ByteArray& withoutFrame)
{
    return juce::MidiMessage::createSysExMessage (withoutFrame.begin(), withoutFrame.size());
}
} // namespace

ByteArray buildHeader (int productId, const EditorPreset& preset, Command command, int slot)
{
    ByteArray header{ manufacturerId, deviceByte, static_cast<juce::uint8> (productId & 0x7f),
                      static_cast<juce::uint8> (command) };

    switch (command)
    {
        case Command::sendPreset:
        case Command::presetData:
            appendLength (header, preset.getDataSize() + (slot >= 0 ? 1 : 0));
            appendSlot (header, slot);
            break;

        case Command::requestPreset:
            header.add (0x00);
            header.add (0x01);
            appendSlot (header, slot);
            break;

        case Command::presetAcknowledge:
            break;
    }

    return header;
}

juce::MidiMessage createSendPresetMessage (int productId, const EditorPreset& preset)
{
    auto bytes = buildHeader (productId, preset, Command::sendPreset, noSlot);
    bytes.addArray (preset.getData());
    return wrap (bytes);
}

juce::MidiMessage createRequestPresetMessage (int productId, const EditorPreset& preset)
{
    return wrap (buildHeader (productId, preset, Command::requestPreset, noSlot));
}

ByteArray createFileImage (int productId, const EditorPreset& preset)
{
    auto image = buildHeader (productId, preset, Command::presetData, noSlot);
    image.insert (0, sysExStart);
    image.addArray (preset.getData());
    image.add (sysExEnd);
    return image;
}

MessageKind recognise (const juce::uint8* data, int size, int expectedReplyLength)
{
    if (data == nullptr || size < 1 || data[0] != sysExStart)
        return MessageKind::ignored;

    if (size == expectedReplyLength && size > commandOffset
        && data[commandOffset] == static_cast<juce::uint8> (Command::presetData))
        return MessageKind::presetReply;

    if (size == acknowledgementSize
        && data[commandOffset] == static_cast<juce::uint8> (Command::presetAcknowledge))
        return MessageKind::acknowledgement;

    return MessageKind::ignored;
}

bool storePayload (const ByteArray& message, EditorPreset& preset)
{
    ByteArray payload (message);
    payload.removeRange (0, headerSize);

    payload.removeLast (terminatorSize);

    return preset.setData (payload);
}

std::optional<juce::MidiMessage> toMidiMessage (const juce::uint8* data, int size, double timeStamp)
{
    if (data == nullptr || size < 1 || data[0] < 0x80)
        return std::nullopt;

    if (data[0] == sysExStart)
    {
        if (size < 2 || data[size - 1] != sysExEnd)
            return std::nullopt;

        for (int i = 1; i < size - 1; ++i)
            if (data[i] >= 0x80)
                return std::nullopt;

        return juce::MidiMessage (data, size, timeStamp);
    }

    if (data[0] == sysExEnd || size != juce::MidiMessage::getMessageLengthFromFirstByte (data[0]))
        return std::nullopt;

    for (int i = 1; i < size; ++i)
        if (data[i] >= 0x80)
            return std::nullopt;

    return juce::MidiMessage (data, size, timeStamp);
}
} // namespace SysExProtocol
