#pragma once

#include "model/ByteArray.h"

#include <optional>

/** The forms a Karvelo preset takes outside the editor, read and written as 138-byte preset data
    blocks (see KARVELOEditorPreset), with no user interface and no message thread:

    - preset   `*.karvelo`: the 146-byte PresetData message, as the editor saves it;
    - sysEx    `*.syx`: a stream of MIDI messages as a librarian or a raw MIDI capture keeps it. The
               first Karvelo preset message in it (PresetData or SendPreset) is read; a preset is
               written as one SendPreset message, the bytes the controller accepts as they are;
    - csv      `*.csv`: the mapping, one row per control in reading order (see MappingFormats.h);
    - json     `*.json`: the same rows as objects.

    Reading checks everything and reports the first fault in one line that names where it is (the
    message, the row and field, the byte and control); a block that comes back is always valid.
    Writing goes through SafeFileWriter: links followed, the file's mode kept, never half-written.
*/
namespace PresetFormats
{
enum class Format
{
    preset,
    sysEx,
    csv,
    json
};

/** The format named by a file's extension (".karvelo", ".syx", ".csv" or ".json", any letter
    case); nothing for any other. */
std::optional<Format> formatOf (const juce::File& file);

/** The format named "karvelo", "syx", "csv" or "json" (a leading dot allowed). */
std::optional<Format> formatNamed (juce::String name);

/** ".karvelo", ".syx", ".csv" or ".json". */
juce::String extensionOf (Format format);

/** A block read from outside the editor, or what kept it from being read. */
struct Decoded
{
    ByteArray block;    ///< 138 valid bytes when there is no error
    juce::String error; ///< empty on success; otherwise one line, without the file's name

    bool ok() const noexcept { return error.isEmpty(); }

    static Decoded failure (juce::String why) { return { {}, std::move (why) }; }
};

/** Reads a block from a file's content in the given format. */
Decoded decode (Format format, const void* data, size_t size);

/** A file's content in the given format for a valid 138-byte block. */
juce::MemoryBlock encode (Format format, const ByteArray& block);

/** Loads a regular file of at most largestFileSize bytes. Returns an empty string on success,
    otherwise why it could not be read. Pipes and devices are refused: they might never end. */
juce::String load (const juce::File& file, juce::MemoryBlock& content);

/** The .syx stream with the block of its first Karvelo preset message replaced and every other
    byte kept where it was: the other messages, that message's header and any real-time bytes
    inside it. Nothing when the stream holds no such message. */
std::optional<juce::MemoryBlock> replaceBlockInSysEx (const void* data, size_t size, const ByteArray& block);

/** Reads a regular file in the format its extension names. */
Decoded readFile (const juce::File& file);
Decoded readFile (const juce::File& file, Format format);

/** Writes the block in the file's format with SafeFileWriter (a preset file through PresetFile).
    Returns an empty string on success, otherwise why the file could not be written. */
juce::String writeFile (const juce::File& file, Format format, const ByteArray& block);

/** Replaces a file's content with SafeFileWriter. Returns an empty string on success, otherwise
    why the file could not be written. */
juce::String replaceFile (const juce::File& file, const void* data, size_t size);

/** Why a block is not valid: its size, or its first byte out of range with its control and field
    ("byte 67 (strip 1 mute button, type) is 2; a type is 0 (note) or 1 (cc)"). Empty for a valid
    block: exactly the blocks that KARVELOEditorPreset accepts. */
juce::String checkBlock (const ByteArray& block);

/** The largest file read; bigger ones are refused before being read. */
constexpr juce::int64 largestFileSize = 16 << 20;
} // namespace PresetFormats
