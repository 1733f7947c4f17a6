#include "cli/KarveloTool.h"
#include "HexFile.h"
#include "SimulatedKarvelo.h"
#include "TemporaryFolder.h"
#include "engine/MappingFormats.h"
#include "engine/PresetFormats.h"
#include "model/KARVELOEditorPreset.h"

#include <gtest/gtest.h>

#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
using namespace PresetFormats;
using HexFile::contentsOf;

const ByteArray factoryFile = HexFile::read ("factory_preset.hex");
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

/** Runs the tool in-process on virtual MIDI devices, in a folder of its own. */
struct Tool : ::testing::Test
{
    /** The exit status, standard output and standard error. */
    using Outcome = std::tuple<int, std::string, std::string>;

    Tool() { folder.get().setAsCurrentWorkingDirectory(); }
    ~Tool() override { previousDirectory.setAsCurrentWorkingDirectory(); }

    Outcome operator() (const juce::String& commandLine)
    {
        std::ostringstream out, err;
        const KarveloTool::Environment environment{ out, err, [this] { return system->createLayer(); }, 150,
                                                    150 };
        // A braced list is evaluated in order: the run ends before its output is read.
        return { KarveloTool::run (juce::StringArray::fromTokens (commandLine, " ", "\""), environment),
                 out.str(), err.str() };
    }

    void write (const juce::String& name, const ByteArray& bytes)
    {
        EXPECT_TRUE (folder.getChildFile (name).replaceWithData (bytes.begin(), (size_t) bytes.size()));
    }

    ByteArray blockIn (const juce::String& name) const { return readFile (folder.getChildFile (name)).block; }

    const juce::File previousDirectory = juce::File::getCurrentWorkingDirectory();
    TemporaryFolder folder;
    std::shared_ptr<VirtualMidiSystem> system = VirtualMidiSystem::create();
};
} // namespace

TEST_F (Tool, UsageShowDiffAndConvert)
{
    write ("factory.karvelo", factoryFile);

    // Success speaks on standard output only, failure on standard error only.
    const std::pair<const char*, int> cases[] = {
        { "--help", 0 },     { "send a.syx --port", 2 },
        { "set --help", 0 }, { "help diff", 0 },
        { "", 2 },           { "frob", 2 },
        { "show", 2 },       { "show a b", 2 },
        { "show x.txt", 2 }, { "diff factory.karvelo nothing.csv", 1 }
    };

    for (auto [commandLine, status] : cases)
    {
        const auto [actual, out, err] = (*this) (commandLine);
        EXPECT_EQ (std::make_tuple (actual, out.empty(), err.empty()),
                   std::make_tuple (status, status != 0, status == 0))
            << commandLine;
    }

    EXPECT_EQ ((*this) ("show --xml x.karvelo"),
               Outcome (2, "", "karvelo show: unknown option --xml\nTry 'karvelo show --help'.\n"));

    // Output that cannot be written (a full disk) is a failure.
    std::ostream nowhere (nullptr);
    std::ostringstream err;
    EXPECT_EQ (KarveloTool::run ({ "show", "factory.karvelo" }, { nowhere, err, {} }), 1);
    EXPECT_EQ (err.str(), "karvelo: cannot write the output\n");

    write ("capture.syx", HexFile::read ("capture_preset_after_others.hex"));
    EXPECT_EQ ((*this) ("show factory.karvelo --csv"),
               Outcome (0, MappingFormats::toCsv (factoryBlock).toStdString(), ""));

    // The capture's preset through every format and back to a preset file.
    for (auto* step : { "convert capture.syx a.json", "convert a.json b.CSV", "convert b.CSV c.syx",
                        "convert c.syx d.karvelo" })
        ASSERT_EQ ((*this) (step), Outcome (0, "", "")) << step;

    EXPECT_EQ (blockIn ("d.karvelo"), editedBlock());
    EXPECT_EQ ((*this) ("diff factory.karvelo d.karvelo"),
               Outcome (1,
                        "strip 1 mute button: note 1 on channel 1 -> cc 64 on channel 16\n"
                        "strip 3 knob 2: cc 25 on channel 1 -> cc 74 on channel 2\n"
                        "master fader: cc 62 on channel 1 -> cc 62 on channel 17\n",
                        ""));
    EXPECT_EQ ((*this) ("diff capture.syx b.CSV"), Outcome (0, "", ""));

    // A file that cannot be read is named and nothing is written.
    EXPECT_EQ ((*this) ("convert nothing.csv out.karvelo"),
               Outcome (1, "", "karvelo: nothing.csv: No such file or directory\n"));
    EXPECT_FALSE (folder.getChildFile ("out.karvelo").exists());
}

TEST_F (Tool, ConvertsAFolder)
{
    ASSERT_TRUE (folder.getChildFile ("in").createDirectory());
    write ("in/a.karvelo", factoryFile);
    write ("in/b.syx", HexFile::read ("capture_preset_after_others.hex"));
    write ("in/c.syx", HexFile::read ("capture_without_preset.hex"));
    write ("in/a.json", factoryFile); // becomes a.syx as well
    write ("in/notes.txt", { 'x' });

    EXPECT_EQ ((*this) ("convert --to syx in out"),
               Outcome (1, "",
                        "karvelo: in/a.json: not UTF-8 text\n"
                        "karvelo: in/c.syx: no Karvelo preset in 3 messages\n"
                        "karvelo: 2 of 4 files not converted\n"));
    EXPECT_EQ (contentsOf (folder.getChildFile ("out/a.syx")), HexFile::read ("send_preset_factory.hex"));
    EXPECT_EQ (folder.getChildFile ("out").getNumberOfChildFiles (juce::File::findFilesAndDirectories), 2);

    ASSERT_TRUE (folder.getChildFile ("in/a.json").replaceWithText (MappingFormats::toJson (factoryBlock)));
    ASSERT_TRUE (folder.getChildFile ("in/c.syx").deleteFile());
    EXPECT_EQ ((*this) ("convert --to karvelo in out"),
               Outcome (1, "",
                        "karvelo: in/a.karvelo: not converted: a.json also becomes a.karvelo\n"
                        "karvelo: 1 of 3 files not converted\n"));
    EXPECT_EQ (contentsOf (folder.getChildFile ("out/a.karvelo")), factoryFile);
}

TEST_F (Tool, Set)
{
    const auto mapping = folder.getChildFile ("live.json");
    ASSERT_TRUE (mapping.replaceWithText (MappingFormats::toJson (factoryBlock), false, false, "\n"));
    EXPECT_EQ ((*this) ("set live.json strip=3 control=knob2 cc=74 channel=2 control=mute note=40 "
                        "strip=1 control=solo type=cc strip=master channel=16"),
               Outcome (0, "", ""));

    auto expected = factoryBlock;
    expected.set (14, 1), expected.set (15, 74);                       // strip 3 knob 2
    expected.set (72, 0), expected.set (73, 0), expected.set (74, 40); // strip 3 mute: note 40
    expected.set (115, 1);                                             // strip 1 solo: control changes
    expected.set (64, 15);                                             // master fader: channel 16
    EXPECT_EQ (blockIn ("live.json"), expected);

    // A .syx file keeps every other message; only the preset's block changes.
    const auto capture = HexFile::read ("capture_preset_after_others.hex");
    write ("capture.syx", capture);
    ASSERT_EQ ((*this) ("set capture.syx strip=8 control=fader number=100"), Outcome (0, "", ""));
    auto changed = capture;
    changed.set (capture.indexOf (0x3d), 100); // strip 8's fader sent CC 61 (3d)
    EXPECT_EQ (contentsOf (folder.getChildFile ("capture.syx")), changed);

    // A mapping in a spreadsheet's layout, which would be lost, is not changed.
    const auto sheet = contentsOf (HexFile::getTestDataFile ("mapping_from_spreadsheet.csv"));
    write ("sheet.csv", sheet);
    EXPECT_EQ (
        (*this) ("set sheet.csv strip=1 control=knob1 cc=1"),
        Outcome (1, "",
                 "karvelo: sheet.csv: not changed: its layout is not the one karvelo writes, and would be "
                 "lost; convert it to .karvelo, change that and convert it back\n"));
    EXPECT_EQ (contentsOf (folder.getChildFile ("sheet.csv")), sheet);

    // Nothing is written unless every setting is valid.
    const std::pair<const char*, const char*> refused[] = {
        { "strip=3 control=knob2 channel=17", "channel=17: a channel is 1 to 16" },
        { "strip=3 control=knob2 note=5", "note=5: strip 3 knob 2 sends control changes (cc) only" },
        { "strip=3 control=knob4 cc=1",
          "control=knob4: a control is knob1, knob2, knob3, mute, solo, recarm or fader" },
        { "strip=3 control=knob1 cc=1 strip=4 channel=2", "channel=2 needs strip= and control= before it" },
        { "strip=3 control=knob1 control=knob2 cc=5",
          "strip 3 knob 1: nothing to set (channel=, cc=, note=, number= or type=)" },
        { "strip=2 control=fader volume=3",
          "unknown setting \"volume\" (strip, control, channel, cc, note, number or type)" }
    };

    for (const auto& [settings, why] : refused)
        EXPECT_EQ ((*this) ("set live.json " + juce::String (settings)),
                   Outcome (2, "", "karvelo set: " + std::string (why) + "\nTry 'karvelo set --help'.\n"));

    EXPECT_EQ (blockIn ("live.json"), expected);

    ASSERT_EQ (chmod (mapping.getFullPathName().toRawUTF8(), 0444), 0);
    EXPECT_EQ ((*this) ("set live.json strip=1 control=knob1 cc=1"),
               Outcome (1, "", "karvelo: live.json: the file is read-only\n"));
}

TEST_F (Tool, SendAndReceive)
{
    SimulatedKarvelo controller (system);
    write ("capture.syx", HexFile::read ("capture_preset_after_others.hex"));
    EXPECT_EQ ((*this) ("send capture.syx"), Outcome (0, "", ""));
    EXPECT_EQ (controller.getBlock(), editedBlock());
    controller.setBlock (factoryBlock);
    EXPECT_EQ ((*this) ("receive --port=Karvelo received.json"), Outcome (0, "", ""));
    EXPECT_EQ (blockIn ("received.json"), factoryBlock);

    // A controller that does not answer fails both ways; nothing is written.
    controller.setFaults ({ true }); // no answer
    EXPECT_EQ ((*this) ("send capture.syx"),
               Outcome (1, "", "karvelo: Karvelo: no acknowledgement within 150 ms\n"));
    EXPECT_EQ ((*this) ("receive x.karvelo"),
               Outcome (1, "", "karvelo: Karvelo: no valid preset within 150 ms\n"));
    EXPECT_FALSE (folder.getChildFile ("x.karvelo").exists());

    EXPECT_EQ ((*this) ("send capture.syx --port Other"),
               Outcome (1, "", "karvelo: no MIDI input and output named \"Other\"\n"));
    system->plugOutput ("Synth");
    EXPECT_EQ (std::get<1> ((*this) ("ports")), "input   Karvelo\noutput  Karvelo\noutput  Synth\n");
}

TEST (PresetFormats, RoundTripOrSayWhy)
{
    const auto decodeBytes = [] (Format format, const ByteArray& bytes)
    { return decode (format, bytes.begin(), (size_t) bytes.size()); };

    // A SendPreset whatever its device byte; a preset file whatever its frame's bytes; the mapping
    // vectors.
    auto sent = HexFile::read ("send_preset_factory.hex");
    sent.set (2, 0x05);
    EXPECT_EQ (decodeBytes (Format::sysEx, sent).block, factoryBlock);
    EXPECT_TRUE (decodeBytes (Format::preset, HexFile::read ("file_146.hex")).ok());

    for (auto name : { "mapping_from_spreadsheet.csv", "mapping.json" })
        EXPECT_EQ (readFile (HexFile::getTestDataFile (name)).block, editedBlock()) << name;

    juce::Random random (13);

    for (int i = 0; i < 1000; ++i)
    {
        auto block = HexFile::randomValidBlock (random);

        for (auto format : { Format::preset, Format::sysEx, Format::csv, Format::json })
        {
            const auto content = encode (format, block);
            ASSERT_EQ (decode (format, content.getData(), content.getSize()).block, block)
                << extensionOf (format);
        }

        // With a few bytes spoilt, or cut short, the formats' check agrees with the preset's own.
        for (int faults = random.nextInt (3); --faults >= 0;)
            block.set (random.nextInt (138), static_cast<juce::uint8> (random.nextInt (256)));

        if (i % 100 == 0)
            block.resize (137 + random.nextInt (3));

        ASSERT_EQ (checkBlock (block).isEmpty(), KARVELOEditorPreset().isValidData (block))
            << checkBlock (block);
    }

    auto invalid = factoryFile, otherProduct = factoryFile, badNumber = factoryFile;
    invalid.set (7 + 67, 2);
    otherProduct.set (3, 0x32);
    badNumber.set (7 + 137, 0x80);

    const std::tuple<Format, ByteArray, juce::String> cases[] = {
        { Format::sysEx, HexFile::read ("capture_preset_cut_short.hex"),
          "no Karvelo preset in 4 messages: message 2 begins as one but is cut short after 43 bytes of 146" },
        { Format::sysEx, { 0x01, 0x02 }, "no Karvelo preset in 0 messages and 2 stray bytes" },
        { Format::sysEx, otherProduct, "no Karvelo preset in 1 message" },
        { Format::sysEx, invalid,
          "message 1, a Karvelo preset: byte 67 (strip 1 mute button, type) is 2; a type is 0 (note) or 1 "
          "(cc)" },
        { Format::preset, HexFile::read ("file_145.hex"), "145 bytes; a preset file has 146" },
        { Format::preset, badNumber, "byte 137 (strip 8 solo button, number) is 128; a value is 0 to 127" }
    };

    for (const auto& [format, bytes, expected] : cases)
        EXPECT_EQ (decodeBytes (format, bytes).error, expected);

    // Files that are not regular files of a known format are refused before they are read.
    TemporaryFolder folder;
    const auto pipe = folder.getChildFile ("pipe.syx"), huge = folder.getChildFile ("huge.syx");
    ASSERT_EQ (mkfifo (pipe.getFullPathName().toRawUTF8(), 0600), 0);
    ASSERT_TRUE (huge.create().wasOk() && truncate (huge.getFullPathName().toRawUTF8(), 1LL << 32) == 0);
    ASSERT_TRUE (folder.getChildFile ("folder.csv").createDirectory());

    EXPECT_EQ (readFile (pipe).error, "not a regular file"); // a pipe with no writer is not waited for
    EXPECT_EQ (readFile (huge).error, "larger than 16 MiB");
    EXPECT_EQ (readFile (folder.getChildFile ("folder.csv")).error, "a folder, not a file");
    EXPECT_EQ (readFile (folder.getChildFile ("preset.txt")).error,
               "the extension does not name a format (.karvelo, .syx, .csv or .json)");
}

TEST (Mappings, TableMarksAndErrors)
{
    auto block = editedBlock();
    block.set (1, 17); // strip 1's first knob now sends what its second sends

    const auto table = juce::StringArray::fromLines (MappingFormats::toTable (block));
    EXPECT_EQ (table[1], "1       knob1    cc    1        17      strip 1 knob 2");
    EXPECT_EQ (table[57], "master  fader    cc    17*      62");
    EXPECT_EQ (table[58], "* outside MIDI's channels 1 to 16: the stored byte plus one, kept as it is");

    EXPECT_EQ (readFile (HexFile::getTestDataFile ("mapping_bad_channel_row12.csv")).error,
               "row 12 (line 13), channel: \"0\" is not a channel (1 to 16, or 17 to 128 for a stored byte "
               "beyond MIDI's channels)");

    const auto csv = MappingFormats::toCsv (factoryBlock), json = MappingFormats::toJson (factoryBlock);
    const auto edited = [&] (const char* from, const juce::String& to)
    { return csv.replaceFirstOccurrenceOf (from, to); };

    const std::pair<juce::String, juce::String> csvCases[] = {
        { edited (",16,", ",128,"), "row 1 (line 2), number: \"128\" is not a number 0 to 127" },
        { edited ("knob2,knob,cc", "knob2,knob,note"),
          "row 2 (line 3), type: \"note\" is not possible: a knob sends control changes (cc) only" },
        { edited ("button", "fader"),
          "row 4 (line 5), kind: \"fader\" does not match strip 1 mute button, a button" },
        { edited ("master", "9"), "row 57 (line 58), strip: \"9\" is not a strip (1 to 8, or master)" },
        { edited ("solo,button,note", "knob1,knob,cc"),
          "row 5 (line 6): strip 1 knob 1 is given again (first in row 1)" },
        { edited (",18,", ",,"), "row 3 (line 4), number: missing" },
        { edited ("knob3,knob,cc,", "knob3,knob,\"c\nc\","),
          "row 3 (line 4), type: \"c\\nc\" is not a type (cc or note)" },
        { edited ("knob3", juce::String::repeatedString ("x", 50)),
          "row 3 (line 4), control: \"" + juce::String::repeatedString ("x", 40)
              + "...\" is not a control of a strip (knob1, knob2, knob3, mute, solo, recarm or fader)" },
        { edited ("channel", "chan"), "line 1: no \"channel\" column (the header reads "
                                      "strip,control,kind,type,channel,number,conflicts)" },
        { csv.upToLastOccurrenceOf ("master", false, false), "no row for master fader" },
        { csv + "\"8,knob1", "line 59: a quoted field never ends" },
        { "\n\n", "no header and no rows" }
    };

    for (const auto& [text, expected] : csvCases)
        EXPECT_EQ (MappingFormats::fromCsv (text).error, expected);

    const std::pair<juce::String, juce::String> jsonCases[] = {
        { json.replaceFirstOccurrenceOf ("\"number\": 17", "\"number\": 17.5"),
          "row 2 (controls[1]), number: 17.5 is not a number 0 to 127" },
        { json.replaceFirstOccurrenceOf ("}", "},"), "not JSON: line 3, column 115: Syntax error" },
        { "[]", "not a Karvelo mapping: no \"controls\" list" },
        { "{ \"\\\"\": [ \"\", \"{\" ], \"\"", "not a Karvelo mapping: line 1, column 23: an empty name" },
        { "{ \"a\": - x }", "not a Karvelo mapping: line 1, column 10: a minus sign without a number" },
        { "{ \"a\": \"[[[\",\n \"b\": 1234567890123456789 }",
          "not a Karvelo mapping: line 2, column 25: a number too long" },
        { juce::String::repeatedString ("[", 100000),
          "not a Karvelo mapping: line 1, column 33: nested too deep" },
        { "{ \"controls\": [ 1 ] }", "row 1 (controls[0]): not an object" }
    };

    for (const auto& [text, expected] : jsonCases)
        EXPECT_EQ (MappingFormats::fromJson (text).error, expected);
}
