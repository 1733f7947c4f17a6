#include "SysExStream.h"

#include "KARVELOEditorEngine.h"
#include "SysExProtocol.h"

namespace SysExStream
{
namespace
{
constexpr juce::uint8 firstRealTime = 0xf8;

bool isStatus (juce::uint8 byte) noexcept
{
    return byte >= 0x80;
}

/** Length of a message other than system-exclusive, from its status byte. */
int lengthOf (juce::uint8 status) noexcept
{
    if (status < 0xf0)
        return (status & 0xe0) == 0xc0 ? 2 : 3; // program change and channel pressure take one byte

    switch (status)
    {
        case 0xf1: // time code quarter frame
        case 0xf3: // song select
            return 2;
        case 0xf2: // song position
            return 3;
        default:
            return 1;
    }
}
} // namespace

Contents split (const juce::uint8* data, size_t size)
{
    Contents contents;
    const auto length = static_cast<int> (juce::jmin (size, (size_t) std::numeric_limits<int>::max()));
    juce::uint8 runningStatus = 0;
    int i = 0;

    const auto addMessage = [&contents] (int start, int end, ByteArray bytes, bool truncated) {
        contents.messages.push_back ({ start, end, std::move (bytes), truncated });
    };

    while (i < length)
    {
        const auto byte = data[i];

        if (byte >= firstRealTime)
        {
            addMessage (i, i + 1, { byte }, false);
            ++i;
        }
        else if (byte == SysExProtocol::sysExStart)
        {
            const auto start = i++;
            ByteArray bytes{ byte };
            auto finished = false;
            std::vector<int> realTimeInside;

            while (i < length && ! finished)
            {
                const auto next = data[i];

                if (next >= firstRealTime)
                    realTimeInside.push_back (i++);
                else if (next == SysExProtocol::sysExEnd)
                    finished = true, bytes.add (data[i++]);
                else if (isStatus (next))
                    break;
                else
                    bytes.add (data[i++]);
            }

            addMessage (start, i, std::move (bytes), ! finished);

            for (auto at : realTimeInside)
                addMessage (at, at + 1, { data[at] }, false);

            runningStatus = 0;
        }
        else if (isStatus (byte) || runningStatus != 0)
        {
            const auto status = isStatus (byte) ? byte : runningStatus;
            const auto start = i;
            ByteArray bytes{ status };

            if (isStatus (byte))
                ++i;

            // Channel messages set the running status; system common messages cancel it.
            runningStatus = status < 0xf0 ? status : 0;

            while (bytes.size() < lengthOf (status) && i < length && ! isStatus (data[i]))
                bytes.add (data[i++]);

            const auto cutShort = bytes.size() < lengthOf (status);
            addMessage (start, i, std::move (bytes), cutShort);
        }
        else
        {
            ++contents.strayBytes;
            ++i;
        }
    }

    return contents;
}

bool looksLikePreset (const Message& message)
{
    const auto& b = message.bytes;
    const auto command = b.size() > SysExProtocol::commandOffset ? b[SysExProtocol::commandOffset] : 0;
    return message.isSysEx() && b.size() > SysExProtocol::commandOffset
           && b[1] == SysExProtocol::manufacturerId && b[3] == KARVELOEditorEngine::productId
           && (command == static_cast<juce::uint8> (SysExProtocol::Command::sendPreset)
               || command == static_cast<juce::uint8> (SysExProtocol::Command::presetData));
}

bool isPreset (const Message& message)
{
    constexpr auto payloadSize = KARVELOEditorPreset::dataSize;
    const auto& b = message.bytes;
    return looksLikePreset (message) && ! message.truncated && b.size() == KARVELOEditorEngine::replyLength
           && b[5] == (payloadSize >> 7) && b[6] == (payloadSize & 0x7f)
           && b.getLast() == SysExProtocol::sysExEnd;
}
} // namespace SysExStream
