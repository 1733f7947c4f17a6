#include "PresetFile.h"

#include "SafeFileWriter.h"
#include "SysExProtocol.h"

namespace PresetFile
{
int getFileSize (const EditorPreset& preset)
{
    return SysExProtocol::presetMessageSize (preset.getDataSize());
}

ReadResult read (const juce::File& file, EditorPreset& preset)
{
    if (! file.existsAsFile())
        return ReadResult::missing;

    const auto expectedSize = getFileSize (preset);

    if (file.getSize() != expectedSize)
        return ReadResult::rejected;

    juce::FileInputStream stream (file);

    if (! stream.openedOk())
        return ReadResult::rejected;

    ByteArray image;
    image.resize (expectedSize);

    // Reading one byte more than expected tells a file that grew since its size was taken.
    juce::uint8 extra = 0;

    if (stream.read (image.getRawDataPointer(), expectedSize) != expectedSize || stream.read (&extra, 1) != 0)
        return ReadResult::rejected;

    return SysExProtocol::storePayload (image, preset) ? ReadResult::loaded : ReadResult::rejected;
}

bool write (const juce::File& file, const EditorPreset& preset, int productId)
{
    const auto image = SysExProtocol::createFileImage (productId, preset);
    return SafeFileWriter::replace (file, image.begin(), static_cast<size_t> (image.size()));
}
} // namespace PresetFile
