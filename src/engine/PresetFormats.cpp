#include "PresetFormats.h"

#include "KARVELOEditorEngine.h"
#include "MappingFormats.h"
#include "PresetFile.h"
#include "SafeFileWriter.h"
#include "SysExProtocol.h"
#include "SysExStream.h"
#include "model/KARVELOControlMap.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace PresetFormats
{
namespace
{
constexpr int blockSize = KARVELOEditorPreset::dataSize;

struct FormatName
{
    Format format;
    const char* extension;
};

constexpr FormatName formatNames[] = { { Format::preset, ".karvelo" },
                                       { Format::sysEx, ".syx" },
                                       { Format::csv, ".csv" },
                                       { Format::json, ".json" } };

ByteArray blockOfMessage (const ByteArray& message)
{
    return ByteArray (message.begin() + SysExProtocol::headerSize, blockSize);
}

/** A block as the protocol's message builders and the preset file writer take a preset: without
    the controls and values of a KARVELOEditorPreset, which cost more to make than a whole
    conversion otherwise does. */
class BlockPreset final : public EditorPreset
{
public:
    explicit BlockPreset (const ByteArray& validBlock)
        : block (validBlock)
    {
        jassert (checkBlock (block).isEmpty());
    }

    ByteArray getData() const override { return block; }
    bool isValidData (const ByteArray& bytes) const override { return checkBlock (bytes).isEmpty(); }
    int getDataSize() const override { return blockSize; }

    bool setData (const ByteArray& bytes) override
    {
        if (! isValidData (bytes))
            return false;

        block = bytes;
        return true;
    }

private:
    ByteArray block;
};

juce::String plural (int count, const juce::String& noun)
{
    return juce::String (count) + " " + noun + (count == 1 ? "" : "s");
}

Decoded decodePresetFile (const juce::uint8* bytes, size_t size)
{
    const auto expected = static_cast<size_t> (SysExProtocol::headerSize + blockSize + 1);

    if (size != expected)
        return Decoded::failure (plural ((int) juce::jmin (size, (size_t) 1 << 30), "byte")
                                 + "; a preset file has " + juce::String ((int) expected));

    // As the editor reads a preset file: the frame's bytes are not examined, only the block.
    ByteArray block (bytes + SysExProtocol::headerSize, blockSize);

    if (auto fault = checkBlock (block); fault.isNotEmpty())
        return Decoded::failure (fault);

    return { block, {} };
}

Decoded decodeSysEx (const juce::uint8* bytes, size_t size)
{
    const auto contents = SysExStream::split (bytes, size);
    const auto& messages = contents.messages;

    for (size_t i = 0; i < messages.size(); ++i)
    {
        if (SysExStream::isPreset (messages[i]))
        {
            auto block = blockOfMessage (messages[i].bytes);

            if (auto fault = checkBlock (block); fault.isNotEmpty())
                return Decoded::failure ("message " + juce::String ((int) i + 1)
                                         + ", a Karvelo preset: " + fault);

            return { block, {} };
        }
    }

    auto why = "no Karvelo preset in " + plural ((int) messages.size(), "message");

    const auto cutShort = std::find_if (messages.begin(), messages.end(),
                                        [] (auto& m) { return SysExStream::looksLikePreset (m); });

    if (cutShort != messages.end())
        why << ": message " << (int) (cutShort - messages.begin()) + 1 << " begins as one but "
            << (cutShort->truncated ? "is cut short after " : "has ")
            << plural (cutShort->bytes.size(), "byte") << " of " << KARVELOEditorEngine::replyLength;
    else if (const auto truncated =
                 std::count_if (messages.begin(), messages.end(), [] (auto& m) { return m.truncated; }))
        why << " (" << (int) truncated << " of them cut short)";

    if (contents.strayBytes > 0)
        why << " and " << plural (contents.strayBytes, "stray byte");

    return Decoded::failure (why);
}

Decoded decodeText (Format format, const void* data, size_t size)
{
    auto* text = static_cast<const char*> (data);

    // Spreadsheets write a byte-order mark in front of UTF-8.
    if (size >= 3 && std::memcmp (text, "\xef\xbb\xbf", 3) == 0)
        text += 3, size -= 3;

    if (std::memchr (text, 0, size) != nullptr || ! juce::CharPointer_UTF8::isValidString (text, (int) size))
        return Decoded::failure ("not UTF-8 text");

    const auto string = juce::String::fromUTF8 (text, (int) size);
    return format == Format::csv ? MappingFormats::fromCsv (string) : MappingFormats::fromJson (string);
}

juce::String fieldName (const KARVELOControlMap::Control& control, int offset)
{
    return offset == control.channelOffset ? "channel" : offset == control.typeOffset ? "type" : "number";
}

/** Why a write failed, as far as the file system tells. */
juce::String whyNotWritten (const juce::File& file, int error)
{
    if (! file.getParentDirectory().isDirectory())
        return "no folder " + file.getParentDirectory().getFullPathName();

    // As SafeFileWriter decides: a file nobody may write is read-only, even for root.
    struct stat status;
    const auto path = file.getFullPathName().toRawUTF8();

    if (::stat (path, &status) == 0 && ((status.st_mode & 0222) == 0 || ::access (path, W_OK) != 0))
        return "the file is read-only";

    return error != 0 ? juce::String (std::strerror (error)) : juce::String ("the write failed");
}
} // namespace

std::optional<Format> formatOf (const juce::File& file)
{
    return formatNamed (file.getFileExtension());
}

std::optional<Format> formatNamed (juce::String name)
{
    if (! name.startsWithChar ('.'))
        name = "." + name;

    for (const auto& entry : formatNames)
        if (name.equalsIgnoreCase (entry.extension))
            return entry.format;

    return std::nullopt;
}

juce::String extensionOf (Format format)
{
    for (const auto& entry : formatNames)
        if (entry.format == format)
            return entry.extension;

    return {};
}

juce::String checkBlock (const ByteArray& block)
{
    // The rule of KARVELOEditorPreset::isValidData, checked control by control so that the first
    // fault can be named: every byte 0 to 127, every button's type 0 or 1.
    if (block.size() != blockSize)
        return plural (block.size(), "byte") + "; a preset block has " + juce::String (blockSize);

    for (const auto& control : KARVELOControlMap::getControls())
    {
        for (auto offset : { control.channelOffset, control.typeOffset, control.numberOffset })
        {
            const auto isType = offset == control.typeOffset;

            if (offset < 0 || block[offset] <= (isType ? KARVELOSwitch::typeControlChange : 127))
                continue;

            return "byte " + juce::String (offset) + " (" + control.getName() + ", "
                   + fieldName (control, offset) + ") is " + juce::String (block[offset])
                   + (isType ? "; a type is 0 (note) or 1 (cc)" : "; a value is 0 to 127");
        }
    }

    return {};
}

Decoded decode (Format format, const void* data, size_t size)
{
    const auto* bytes = static_cast<const juce::uint8*> (data);

    switch (format)
    {
        case Format::preset:
            return decodePresetFile (bytes, size);
        case Format::sysEx:
            return decodeSysEx (bytes, size);
        case Format::csv:
        case Format::json:
            return decodeText (format, data, size);
    }

    return Decoded::failure ("unknown format");
}

juce::MemoryBlock encode (Format format, const ByteArray& block)
{
    const BlockPreset preset (block);
    const auto fromBytes = [] (const ByteArray& bytes)
    { return juce::MemoryBlock (bytes.begin(), (size_t) bytes.size()); };
    const auto fromText = [] (const juce::String& text)
    { return juce::MemoryBlock (text.toRawUTF8(), text.getNumBytesAsUTF8()); };
    constexpr auto productId = KARVELOEditorEngine::productId;

    switch (format)
    {
        case Format::preset:
            return fromBytes (SysExProtocol::createFileImage (productId, preset));
        case Format::sysEx:
        {
            const auto message = SysExProtocol::createSendPresetMessage (productId, preset);
            return juce::MemoryBlock (message.getRawData(), (size_t) message.getRawDataSize());
        }
        case Format::csv:
            return fromText (MappingFormats::toCsv (block));
        case Format::json:
            return fromText (MappingFormats::toJson (block));
    }

    return {};
}

Decoded readFile (const juce::File& file)
{
    if (const auto format = formatOf (file))
        return readFile (file, *format);

    return Decoded::failure ("the extension does not name a format (.karvelo, .syx, .csv or .json)");
}

juce::String load (const juce::File& file, juce::MemoryBlock& content)
{
    // Opened without waiting, so that a pipe without a writer is refused rather than waited for.
    const auto descriptor = ::open (file.getFullPathName().toRawUTF8(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);

    if (descriptor < 0)
        return std::strerror (errno);

    const auto why = [&]() -> juce::String
    {
        struct stat status;

        if (::fstat (descriptor, &status) != 0)
            return std::strerror (errno);

        if (! S_ISREG (status.st_mode))
            return S_ISDIR (status.st_mode) ? "a folder, not a file" : "not a regular file";

        const auto tooLarge = "larger than " + juce::String (largestFileSize >> 20) + " MiB";

        if (status.st_size > largestFileSize)
            return tooLarge;

        // One byte more than the size tells a file that grew since.
        content.setSize ((size_t) status.st_size + 1);
        size_t got = 0;

        while (got < content.getSize())
        {
            const auto n =
                ::read (descriptor, static_cast<char*> (content.getData()) + got, content.getSize() - got);

            if (n < 0 && errno == EINTR)
                continue;

            if (n < 0)
                return std::strerror (errno);

            if (n == 0)
                break;

            got += (size_t) n;
        }

        if ((juce::int64) got > status.st_size)
            return "changed while it was read";

        content.setSize (got);
        return {};
    }();

    ::close (descriptor);
    return why;
}

Decoded readFile (const juce::File& file, Format format)
{
    juce::MemoryBlock content;

    if (const auto error = load (file, content); error.isNotEmpty())
        return Decoded::failure (error);

    return decode (format, content.getData(), content.getSize());
}

std::optional<juce::MemoryBlock> replaceBlockInSysEx (const void* data, size_t size, const ByteArray& block)
{
    const auto contents = SysExStream::split (static_cast<const juce::uint8*> (data), size);

    for (const auto& message : contents.messages)
    {
        if (! SysExStream::isPreset (message))
            continue;

        // The message's own bytes lie at their places in the stream, between any real-time bytes
        // that arrived inside it; those stay where they are.
        juce::MemoryBlock result (data, size);
        auto* bytes = static_cast<juce::uint8*> (result.getData());

        for (int at = message.start, index = 0; at < message.end; ++at)
        {
            if (bytes[at] >= 0xf8)
                continue;

            if (index >= SysExProtocol::headerSize && index < SysExProtocol::headerSize + blockSize)
                bytes[at] = block[index - SysExProtocol::headerSize];

            ++index;
        }

        return result;
    }

    return std::nullopt;
}

juce::String writeFile (const juce::File& file, Format format, const ByteArray& block)
{
    if (format != Format::preset)
    {
        const auto content = encode (format, block);
        return replaceFile (file, content.getData(), content.getSize());
    }

    errno = 0;
    KARVELOEditorPreset preset;
    const auto written =
        preset.setData (block) && PresetFile::write (file, preset, KARVELOEditorEngine::productId);
    return written ? juce::String() : whyNotWritten (file, errno);
}

juce::String replaceFile (const juce::File& file, const void* data, size_t size)
{
    errno = 0;
    return SafeFileWriter::replace (file, data, size) ? juce::String() : whyNotWritten (file, errno);
}
} // namespace PresetFormats
