#include "engine/PresetFormats.h"
#include "HexFile.h"
#include "TemporaryFolder.h"
#include "engine/MappingFormats.h"
#include "engine/SafeFileWriter.h"
#include "model/KARVELOEditorPreset.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace
{
using namespace PresetFormats;

const ByteArray factoryBlock = HexFile::factoryBlock();

/** The block the capture, the spreadsheet and the JSON vectors hold: the factory preset with strip
    3's second knob on CC 74, channel 2; strip 1's mute on CC 64, channel 16; the master fader's
    channel byte 0x10, which no MIDI channel has. */
ByteArray editedBlock()
{
    auto block = factoryBlock;
    block.set (14, 0x01), block.set (15, 74);
    block.set (66, 0x0f), block.set (67, 1), block.set (68, 64);
    block.set (64, 0x10);
    return block;
}

Decoded decodeBytes (Format format, const ByteArray& bytes)
{
    return decode (format, bytes.begin(), (size_t) bytes.size());
}

Decoded decodeText (Format format, const juce::String& text)
{
    return decode (format, text.toRawUTF8(), text.getNumBytesAsUTF8());
}

ByteArray bytesOf (const juce::MemoryBlock& block)
{
    return ByteArray (static_cast<const juce::uint8*> (block.getData()), (int) block.getSize());
}
} // namespace

TEST (PresetFormats, DecodeOrSayWhy)
{
    // The first preset among other messages; a SendPreset too, whatever its device byte.
    const auto decoded = decodeBytes (Format::sysEx, HexFile::read ("capture_preset_after_others.hex"));
    ASSERT_TRUE (decoded.ok()) << decoded.error;
    EXPECT_EQ (decoded.block, editedBlock());
    auto sent = HexFile::read ("send_preset_factory.hex");
    sent.set (2, 0x05);
    EXPECT_EQ (decodeBytes (Format::sysEx, sent).block, factoryBlock);
    EXPECT_TRUE (decodeBytes (Format::preset, HexFile::read ("file_146.hex")).ok());

    auto invalid = HexFile::read ("factory_preset.hex"), otherProduct = invalid, badNumber = invalid;
    invalid.set (7 + 67, 2);
    otherProduct.set (3, 0x32);
    badNumber.set (7 + 137, 0x80);

    const std::tuple<Format, ByteArray, juce::String> cases[] = {
        { Format::sysEx, HexFile::read ("capture_without_preset.hex"), "no Karvelo preset in 3 messages" },
        { Format::sysEx, HexFile::read ("capture_preset_cut_short.hex"),
          "no Karvelo preset in 4 messages: message 2 begins as one but is cut short after 43 bytes of 146" },
        { Format::sysEx, {}, "no Karvelo preset in 0 messages" },
        { Format::sysEx, { 0x01, 0x02 }, "no Karvelo preset in 0 messages and 2 stray bytes" },
        { Format::sysEx, otherProduct, "no Karvelo preset in 1 message" },
        { Format::sysEx, invalid,
          "message 1, a Karvelo preset: byte 67 (strip 1 mute button, type) is 2; a type is 0 (note) or 1 "
          "(cc)" },
        { Format::preset, HexFile::read ("file_145.hex"), "145 bytes; a preset file has 146" },
        { Format::preset, badNumber, "byte 137 (strip 8 solo button, number) is 128; a value is 0 to 127" },
        { Format::csv, { 'a', 0xff, 'b' }, "not UTF-8 text" },
    };

    for (const auto& [format, bytes, expected] : cases)
        EXPECT_EQ (decodeBytes (format, bytes).error, expected);
}

TEST (PresetFormats, RoundTrip)
{
    for (auto name : { "mapping_from_spreadsheet.csv", "mapping.json" })
        EXPECT_EQ (readFile (HexFile::getTestDataFile (name)).block, editedBlock()) << name;

    EXPECT_EQ (bytesOf (encode (Format::preset, factoryBlock)), HexFile::read ("factory_preset.hex"));

    juce::Random random (13);

    for (int i = 0; i < 50; ++i)
    {
        const auto block = i == 0 ? editedBlock() : HexFile::randomValidBlock (random);

        for (auto format : { Format::preset, Format::sysEx, Format::csv, Format::json })
        {
            const auto content = encode (format, block);
            const auto decoded = decode (format, content.getData(), content.getSize());
            ASSERT_TRUE (decoded.ok()) << extensionOf (format) << ": " << decoded.error;
            ASSERT_EQ (decoded.block, block) << extensionOf (format);
        }
    }
}

TEST (PresetFormats, ValidBlocks)
{
    juce::Random random (7);
    const KARVELOEditorPreset preset;

    for (int i = 0; i < 2000; ++i)
    {
        auto block = HexFile::randomValidBlock (random);

        for (int faults = random.nextInt (3); --faults >= 0;)
            block.set (random.nextInt (138), static_cast<juce::uint8> (random.nextInt (256)));

        if (i % 100 == 0)
            block.resize (137 + random.nextInt (3));

        ASSERT_EQ (checkBlock (block).isEmpty(), preset.isValidData (block)) << checkBlock (block);
    }
}

TEST (PresetFormats, RegularFilesOnly)
{
    TemporaryFolder folder;
    const auto pipe = folder.getChildFile ("pipe.syx"), huge = folder.getChildFile ("huge.syx");
    ASSERT_EQ (mkfifo (pipe.getFullPathName().toRawUTF8(), 0600), 0);
    ASSERT_TRUE (huge.create().wasOk() && truncate (huge.getFullPathName().toRawUTF8(), 1LL << 32) == 0);
    ASSERT_TRUE (folder.getChildFile ("folder.csv").createDirectory());

    EXPECT_EQ (readFile (pipe).error, "not a regular file"); // a pipe with no writer is not waited for
    EXPECT_EQ (readFile (huge).error, "larger than 16 MiB");
    EXPECT_EQ (readFile (folder.getChildFile ("folder.csv")).error, "a folder, not a file");
    EXPECT_EQ (readFile (folder.getChildFile ("absent.json")).error, "No such file or directory");
    EXPECT_EQ (readFile (folder.getChildFile ("preset.txt")).error,
               "the extension does not name a format (.karvelo, .syx, .csv or .json)");
}

TEST (Mappings, FirstBadValueNamedByRowAndField)
{
    EXPECT_EQ (readFile (HexFile::getTestDataFile ("mapping_bad_channel_row12.csv")).error,
               "row 12 (line 13), channel: \"0\" is not a channel (1 to 16, or 17 to 128 for a stored byte "
               "beyond MIDI's channels)");

    const auto csv = MappingFormats::toCsv (factoryBlock);
    const auto rowEdited = [&] (int row, const juce::String& from, const juce::String& to)
    {
        auto lines = juce::StringArray::fromLines (csv);
        lines.set (row, lines[row].replaceFirstOccurrenceOf (from, to));
        return lines.joinIntoString ("\n");
    };

    const std::pair<juce::String, juce::String> csvCases[] = {
        { rowEdited (1, ",16,", ",128,"), "row 1 (line 2), number: \"128\" is not a number 0 to 127" },
        { rowEdited (2, "knob,cc", "knob,note"),
          "row 2 (line 3), type: \"note\" is not possible: a knob sends "
          "control changes (cc) only" },
        { rowEdited (4, "button", "fader"),
          "row 4 (line 5), kind: \"fader\" does not match strip 1 mute button, a button" },
        { rowEdited (57, "master", "9"),
          "row 57 (line 58), strip: \"9\" is not a strip (1 to 8, or master)" },
        { rowEdited (5, "solo,button,note", "knob1,knob,cc"),
          "row 5 (line 6): strip 1 knob 1 is given again (first in row 1)" },
        { rowEdited (3, ",18,", ",,"), "row 3 (line 4), number: missing" },
        { rowEdited (3, ",cc,", ",\"c\nc\","), "row 3 (line 4), type: \"c\\nc\" is not a type (cc or note)" },
        { rowEdited (3, "knob3", juce::String::repeatedString ("x", 50)),
          "row 3 (line 4), control: \"" + juce::String::repeatedString ("x", 40)
              + "...\" is not a control of a strip (knob1, knob2, knob3, mute, solo, recarm or fader)" },
        { rowEdited (0, "channel", "chan"), "line 1: no \"channel\" column (the header reads "
                                            "strip,control,kind,type,channel,number,conflicts)" },
        { csv.upToLastOccurrenceOf ("master", false, false), "no row for master fader" },
        { csv + "\"8,knob1", "line 59: a quoted field never ends" },
    };

    for (const auto& [text, expected] : csvCases)
        EXPECT_EQ (decodeText (Format::csv, text).error, expected);

    const auto json = MappingFormats::toJson (factoryBlock);
    const std::pair<juce::String, juce::String> jsonCases[] = {
        { json.replaceFirstOccurrenceOf ("\"channel\": 1", "\"channel\": \"1\""),
          "row 1 (controls[0]), channel: \"1\" is not a channel (1 to 16, or 17 to 128 for a stored byte "
          "beyond "
          "MIDI's channels)" },
        { json.replaceFirstOccurrenceOf ("\"number\": 17", "\"number\": 17.5"),
          "row 2 (controls[1]), number: 17.5 is not a number 0 to 127" },
        { json.replaceFirstOccurrenceOf ("\"strip\": 1", "\"strip\": null"),
          "row 1 (controls[0]), strip: missing" },
        { json.replaceFirstOccurrenceOf ("}", "},"), "not JSON: line 3, column 115: Syntax error" },
        { "[]", "not a Karvelo mapping: no \"controls\" list" },
        { "{ \"\\\"\": [ \"\", \"{\" ], \"\"", "not a Karvelo mapping: line 1, column 23: an empty name" },
        { "{ \"a\": - x }", "not a Karvelo mapping: line 1, column 10: a minus sign without a number" },
        { "{ \"a\": \"[[[\",\n \"b\": 1234567890123456789 }",
          "not a Karvelo mapping: line 2, column 25: a number too long" },
        { juce::String::repeatedString ("[", 100000),
          "not a Karvelo mapping: line 1, column 33: nested too deep" },
        { "{ \"controls\": [ 1 ] }", "row 1 (controls[0]): not an object" },
    };

    for (const auto& [text, expected] : jsonCases)
        EXPECT_EQ (decodeText (Format::json, text).error, expected);
}

TEST (Mappings, TableMarks)
{
    auto block = editedBlock();
    block.set (1, 17); // strip 1's first knob now sends what its second sends

    const auto table = juce::StringArray::fromLines (MappingFormats::toTable (block));
    EXPECT_EQ (table[0], "strip   control  type  channel  number  conflicts with");
    EXPECT_EQ (table[1], "1       knob1    cc    1        17      strip 1 knob 2");
    EXPECT_EQ (table[4], "1       mute     cc    16       64");
    EXPECT_EQ (table[57], "master  fader    cc    17*      62");
    EXPECT_EQ (table[58], "* outside MIDI's channels 1 to 16: the stored byte plus one, kept as it is");
}

TEST (SafeFileWriterBatch, AllOrNothing)
{
    TemporaryFolder folder;
    const auto kept = folder.getChildFile ("kept"), readOnly = folder.getChildFile ("read-only");
    ASSERT_TRUE (kept.replaceWithText ("old") && readOnly.replaceWithText ("old"));
    ASSERT_EQ (chmod (kept.getFullPathName().toRawUTF8(), 0640), 0);
    ASSERT_EQ (chmod (readOnly.getFullPathName().toRawUTF8(), 0444), 0);

    {
        SafeFileWriter::Batch uncommitted;
        EXPECT_TRUE (uncommitted.add (kept, "new", 3));
        EXPECT_EQ (folder.get().getNumberOfChildFiles (juce::File::findFilesAndDirectories
                                                       | juce::File::ignoreHiddenFiles),
                   2);
    }

    EXPECT_EQ (kept.loadFileAsString(), "old");
    EXPECT_EQ (folder.get().getNumberOfChildFiles (juce::File::findFilesAndDirectories),
               2); // no temporary left

    SafeFileWriter::Batch batch;
    EXPECT_TRUE (batch.add (kept, "new", 3));
    EXPECT_TRUE (batch.add (folder.getChildFile ("fresh"), "fresh", 5));
    EXPECT_FALSE (batch.add (readOnly, "new", 3));
    EXPECT_EQ (kept.loadFileAsString(), "old"); // nothing takes its place before the commit
    EXPECT_TRUE (batch.commit().isEmpty());

    struct stat status;
    ASSERT_EQ (stat (kept.getFullPathName().toRawUTF8(), &status), 0);
    EXPECT_EQ (status.st_mode & 07777, 0640u);
    EXPECT_EQ (kept.loadFileAsString(), "new");
    EXPECT_EQ (folder.getChildFile ("fresh").loadFileAsString(), "fresh");
    EXPECT_EQ (readOnly.loadFileAsString(), "old");
    EXPECT_EQ (folder.get().getNumberOfChildFiles (juce::File::findFilesAndDirectories), 3);
}
