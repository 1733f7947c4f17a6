#pragma once

#include "model/EditorPreset.h"

/** Preset files (*.karvelo): byte for byte the PresetData message that the controller sends in
    reply to a request. For the Karvelo that is 146 bytes: the 7-byte header F0 47 00 31 67 01 0A,
    the 138-byte block, F7. No version, no checksum; the extension plays no part.

    The reader examines none of the frame's bytes: only the preset's own validation of what remains
    after cutting 7 + 1 bytes decides.
*/
namespace PresetFile
{
enum class ReadResult
{
    rejected, ///< the file's size or data was not a valid preset; the preset is unchanged
    missing,  ///< there is no file at that path
    loaded    ///< the preset now holds the file's block
};

/** Size of a file holding a preset of the given data size. */
int getFileSize (const EditorPreset& preset);

/** Reads the file into the preset. A file of any size but the preset's file size is rejected
    without being read. */
ReadResult read (const juce::File& file, EditorPreset& preset);

/** Writes the preset's file image with SafeFileWriter: through links, keeping the file's
    permissions and owner, never half-written. Returns whether the file was written. */
bool write (const juce::File& file, const EditorPreset& preset, int productId);
} // namespace PresetFile
