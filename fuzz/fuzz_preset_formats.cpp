// Reading a preset from outside the editor: any bytes, read as a preset file, a .syx stream, CSV
// and JSON text.
//
// Invariants: a read gives either a valid block and no error, or a one-line error and no block; a
// preset file is read exactly when it has 146 bytes and bytes 7..144 are a valid block; a block
// read comes back unchanged through every format; a .syx stream whose preset is replaced keeps its
// length and then reads as the new block.

#include "FuzzSupport.h"
#include "engine/PresetFormats.h"

namespace
{
using PresetFormats::Format;

constexpr Format allFormats[] = { Format::preset, Format::sysEx, Format::csv, Format::json };

void requireRoundTrips (const ByteArray& block)
{
    for (auto format : allFormats)
    {
        const auto content = PresetFormats::encode (format, block);
        const auto again = PresetFormats::decode (format, content.getData(), content.getSize());
        FuzzSupport::require (again.ok() && again.block == block,
                              "a block did not come back through a format");
    }
}
} // namespace

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    FuzzSupport::initialiseJuce();

    const juce::uint8 warmUp[] = { 0xf0, 0x47, 0x00, 0x31, 0x11, 0xf7 };
    LLVMFuzzerTestOneInput (warmUp, sizeof (warmUp));
    FuzzSupport::cleanUpAtExit ([] {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    for (auto format : allFormats)
    {
        const auto decoded = PresetFormats::decode (format, data, size);

        if (! decoded.ok())
        {
            FuzzSupport::require (decoded.block.isEmpty() && ! decoded.error.containsAnyOf ("\r\n"),
                                  "a failed read gave a block or a message of several lines");
            FuzzSupport::require (format != Format::preset || size != 146
                                      || ! FuzzSupport::isValidBlock (data + 7, 138),
                                  "a valid preset file was refused");
            continue;
        }

        FuzzSupport::require (FuzzSupport::isValidBlock (decoded.block), "a read gave an invalid block");
        FuzzSupport::require (format != Format::preset
                                  || (size == 146 && ByteArray (data + 7, 138) == decoded.block),
                              "a preset file was read other than as its bytes 7..144");
        requireRoundTrips (decoded.block);

        if (format == Format::sysEx)
        {
            const auto other = FuzzSupport::validBlock (decoded.block[0] + 1);
            const auto replaced = PresetFormats::replaceBlockInSysEx (data, size, other);
            FuzzSupport::require (replaced.has_value() && replaced->getSize() == size,
                                  "replacing the preset changed the stream's length");

            const auto reread =
                PresetFormats::decode (Format::sysEx, replaced->getData(), replaced->getSize());
            FuzzSupport::require (reread.ok() && reread.block == other,
                                  "the replaced preset does not read back");
        }
    }

    return 0;
}
