#include "PresetFile.h"

#include "SysExProtocol.h"

#include <filesystem>

namespace PresetFile
{
int getFileSize (const EditorPreset& preset)
{
    return SysExProtocol::headerSize + preset.getDataSize() + 1;
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

    // File::replaceWithData would move a half-written temporary file into place, and report success,
    // when the disk fills up: the stream's errors are checked here before the target is touched.
    juce::TemporaryFile temporary (file, juce::TemporaryFile::useHiddenFile);

    {
        juce::FileOutputStream stream (temporary.getFile());

        if (! stream.openedOk() || ! stream.write (image.begin(), static_cast<size_t> (image.size())))
            return false;

        stream.flush();

        if (stream.getStatus().failed())
            return false;
    }

    if (temporary.getFile().getSize() != image.size())
        return false;

    // One rename puts the new file in place. TemporaryFile's own replacement would fall back to
    // deleting the target and copying when the rename fails, and a failed copy loses the old file.
    std::error_code error;
    std::filesystem::rename (std::filesystem::u8path (temporary.getFile().getFullPathName().toStdString()),
                             std::filesystem::u8path (file.getFullPathName().toStdString()), error);
    return ! error;
}
} // namespace PresetFile
