#include "cli/KarveloTool.h"
#include "HexFile.h"
#include "SimulatedKarvelo.h"
#include "TemporaryFolder.h"
#include "engine/MappingFormats.h"
#include "engine/PresetFormats.h"

#include <gtest/gtest.h>

#include <sstream>
#include <sys/stat.h>

namespace
{
const ByteArray factoryFile = HexFile::read ("factory_preset.hex");
const ByteArray factoryBlock = HexFile::factoryBlock();

/** Runs the tool in-process on virtual MIDI devices, in a folder of its own. */
struct Tool : ::testing::Test
{
    struct Outcome
    {
        int status;
        std::string out, err;
    };

    Tool() { folder.get().setAsCurrentWorkingDirectory(); }
    ~Tool() override { previousDirectory.setAsCurrentWorkingDirectory(); }

    Outcome operator() (const juce::String& commandLine)
    {
        std::ostringstream out, err;
        const KarveloTool::Environment environment{ out, err, [this] { return system->createLayer(); }, 150,
                                                    150 };
        const auto status =
            KarveloTool::run (juce::StringArray::fromTokens (commandLine, " ", "\""), environment);
        return { status, out.str(), err.str() };
    }

    juce::File write (const juce::String& name, const ByteArray& bytes)
    {
        const auto file = folder.getChildFile (name);
        EXPECT_TRUE (file.replaceWithData (bytes.begin(), (size_t) bytes.size()));
        return file;
    }

    static ByteArray contentOf (const juce::File& file) { return HexFile::contentsOf (file); }

    ByteArray blockIn (const juce::String& name) const
    {
        return PresetFormats::readFile (folder.getChildFile (name)).block;
    }

    const juce::File previousDirectory = juce::File::getCurrentWorkingDirectory();
    TemporaryFolder folder;
    std::shared_ptr<VirtualMidiSystem> system = VirtualMidiSystem::create();
};
} // namespace

TEST_F (Tool, UsageHelpAndExitStatus)
{
    write ("factory.karvelo", factoryFile);

    const std::pair<const char*, int> cases[] = {
        { "--help", 0 },
        { "--version", 0 },
        { "set --help", 0 },
        { "help diff", 0 },
        { "", 2 },
        { "frob", 2 },
        { "show", 2 },
        { "show a b", 2 },
        { "show x.txt", 2 },
        { "show --xml x.karvelo", 2 },
        { "convert --to", 2 },
        { "send f.karvelo --port", 2 },
        { "show nothing.karvelo", 1 },
        { "show .", 2 },
        { "diff factory.karvelo nothing.csv", 1 },
    };

    for (const auto& [commandLine, status] : cases)
    {
        const auto outcome = (*this) (commandLine);
        EXPECT_EQ (outcome.status, status) << commandLine;
        // Success speaks on standard output only, failure on standard error only.
        EXPECT_EQ (outcome.out.empty(), status != 0) << commandLine;
        EXPECT_EQ (outcome.err.empty(), status == 0) << commandLine;
    }

    EXPECT_EQ ((*this) ("--version").out, "karvelo " KARVELO_VERSION "\n");
    EXPECT_EQ ((*this) ("show nothing.karvelo").err, "karvelo: nothing.karvelo: No such file or directory\n");
    EXPECT_EQ ((*this) ("show --xml x.karvelo").err,
               "karvelo show: unknown option --xml\nTry 'karvelo show --help'.\n");

    // Output that cannot be written (a full disk) is a failure.
    std::ostream nowhere (nullptr);
    std::ostringstream err;
    const KarveloTool::Environment full{ nowhere, err, {} };
    EXPECT_EQ (KarveloTool::run ({ "show", "factory.karvelo" }, full), 1);
    EXPECT_EQ (err.str(), "karvelo: cannot write the output\n");
}

TEST_F (Tool, ShowDiffAndConvertThroughEveryFormat)
{
    write ("factory.karvelo", factoryFile);
    write ("capture.syx", HexFile::read ("capture_preset_after_others.hex"));

    EXPECT_EQ ((*this) ("show factory.karvelo").out, MappingFormats::toTable (factoryBlock).toStdString());
    EXPECT_EQ ((*this) ("show --csv factory.karvelo").out,
               MappingFormats::toCsv (factoryBlock).toStdString());
    EXPECT_EQ ((*this) ("show factory.karvelo --json").out,
               MappingFormats::toJson (factoryBlock).toStdString());

    // The capture's preset through every format and back to a preset file.
    for (auto* step : { "convert capture.syx a.json", "convert a.json b.CSV", "convert b.CSV c.syx",
                        "convert c.syx d.karvelo" })
        ASSERT_EQ ((*this) (step).status, 0) << step;

    EXPECT_EQ (blockIn ("d.karvelo"), blockIn ("capture.syx"));
    EXPECT_EQ (contentOf (folder.getChildFile ("c.syx"))[4], 0x64); // written as a SendPreset

    const auto differences = (*this) ("diff factory.karvelo d.karvelo");
    EXPECT_EQ (differences.status, 1);
    EXPECT_EQ (differences.out, "strip 1 mute button: note 1 on channel 1 -> cc 64 on channel 16\n"
                                "strip 3 knob 2: cc 25 on channel 1 -> cc 74 on channel 2\n"
                                "master fader: cc 62 on channel 1 -> cc 62 on channel 17\n");
    const auto same = (*this) ("diff capture.syx b.CSV");
    EXPECT_TRUE (same.status == 0 && same.out.empty());

    // A bad file is named and nothing is written.
    ASSERT_TRUE (folder.getChildFile ("bad.csv").replaceWithText ("\n\n"));
    const auto bad = (*this) ("convert bad.csv out.karvelo");
    EXPECT_EQ (bad.status, 1);
    EXPECT_EQ (bad.err, "karvelo: bad.csv: no header and no rows\n");
    EXPECT_FALSE (folder.getChildFile ("out.karvelo").exists());
}

TEST_F (Tool, ConvertsAFolder)
{
    const auto in = folder.getChildFile ("in");
    ASSERT_TRUE (in.createDirectory());
    write ("in/a.karvelo", factoryFile);
    write ("in/b.syx", HexFile::read ("capture_preset_after_others.hex"));
    write ("in/c.syx", HexFile::read ("capture_without_preset.hex"));
    write ("in/a.json", factoryFile); // becomes a.syx as well
    write ("in/notes.txt", { 'x' });

    const auto outcome = (*this) ("convert --to syx in out");
    EXPECT_EQ (outcome.status, 1);
    EXPECT_EQ (outcome.err, "karvelo: in/a.json: not UTF-8 text\n"
                            "karvelo: in/c.syx: no Karvelo preset in 3 messages\n"
                            "karvelo: 2 of 4 files not converted\n");
    EXPECT_EQ (contentOf (folder.getChildFile ("out/a.syx")), HexFile::read ("send_preset_factory.hex"));
    EXPECT_EQ (blockIn ("out/b.syx"), blockIn ("in/b.syx"));
    EXPECT_EQ (folder.getChildFile ("out").getNumberOfChildFiles (juce::File::findFilesAndDirectories), 2);

    const auto json = MappingFormats::toJson (factoryBlock);
    write ("in/a.json", ByteArray (reinterpret_cast<const juce::uint8*> (json.toRawUTF8()),
                                   (int) json.getNumBytesAsUTF8()));
    ASSERT_TRUE (folder.getChildFile ("in/c.syx").deleteFile());
    EXPECT_EQ ((*this) ("convert --to karvelo in out").err,
               "karvelo: in/a.karvelo: not converted: a.json also becomes a.karvelo\n"
               "karvelo: 1 of 3 files not converted\n");
}

TEST_F (Tool, Set)
{
    const auto preset = write ("live.karvelo", factoryFile);
    ASSERT_TRUE (preset.createSymbolicLink (folder.getChildFile ("link.karvelo"), true));
    ASSERT_EQ (chmod (preset.getFullPathName().toRawUTF8(), 0600), 0);

    EXPECT_EQ ((*this) ("set link.karvelo strip=3 control=knob2 cc=74 channel=2 control=mute note=40 "
                        "strip=1 control=solo type=cc strip=master channel=16")
                   .status,
               0);

    auto expected = factoryBlock;
    expected.set (14, 1), expected.set (15, 74);                       // strip 3 knob 2
    expected.set (72, 0), expected.set (73, 0), expected.set (74, 40); // strip 3 mute: note 40
    expected.set (115, 1);                                             // strip 1 solo: control changes
    expected.set (64, 15);                                             // master fader: channel 16
    EXPECT_EQ (blockIn ("live.karvelo"), expected);
    EXPECT_TRUE (folder.getChildFile ("link.karvelo").isSymbolicLink());
    struct stat status;
    ASSERT_EQ (stat (preset.getFullPathName().toRawUTF8(), &status), 0);
    EXPECT_EQ (status.st_mode & 0777, 0600u);

    // A .syx file keeps every other message; only the preset's block changes.
    const auto capture = HexFile::read ("capture_preset_after_others.hex");
    write ("capture.syx", capture);
    ASSERT_EQ ((*this) ("set capture.syx strip=8 control=fader number=100").status, 0);
    auto changed = capture;
    changed.set (capture.indexOf (0x3d), 100); // strip 8's fader sent CC 61 (3d)
    EXPECT_EQ (contentOf (folder.getChildFile ("capture.syx")), changed);

    // A mapping in karvelo's own layout is changed; a spreadsheet's, which would lose its own, is not.
    ASSERT_EQ ((*this) ("convert live.karvelo live.json").status, 0);
    EXPECT_EQ ((*this) ("set live.json strip=2 control=recarm note=99").status, 0);
    expected.set (93 + 2, 99); // strip 2 record-arm: switch 9
    EXPECT_EQ (blockIn ("live.json"), expected);
    expected.set (95, 6);
    const auto sheet =
        write ("sheet.csv", contentOf (HexFile::getTestDataFile ("mapping_from_spreadsheet.csv")));
    const auto refusal = (*this) ("set sheet.csv strip=1 control=knob1 cc=1");
    EXPECT_EQ (refusal.status, 1);
    EXPECT_EQ (refusal.err,
               "karvelo: sheet.csv: not changed: its layout is not the one karvelo writes, and would be "
               "lost; convert it to .karvelo, change that and convert it back\n");
    EXPECT_EQ (contentOf (sheet), contentOf (HexFile::getTestDataFile ("mapping_from_spreadsheet.csv")));

    // Nothing is written unless every setting is valid.
    const std::pair<const char*, const char*> refused[] = {
        { "strip=3 control=knob2 channel=17", "channel=17: a channel is 1 to 16" },
        { "strip=3 control=knob2 note=5", "note=5: strip 3 knob 2 sends control changes (cc) only" },
        { "strip=3 control=knob4 cc=1",
          "control=knob4: a control is knob1, knob2, knob3, mute, solo, recarm or fader" },
        { "strip=3 control=knob1 cc=1 strip=4 channel=2", "channel=2 needs strip= and control= before it" },
        { "strip=3 control=knob1 control=knob2 cc=5",
          "strip 3 knob 1: nothing to set (channel=, cc=, note=, number= "
          "or type=)" },
        { "strip=master control=knob1", "control=knob1: the master strip has only its fader" },
        { "strip=2 control=fader volume=3",
          "unknown setting \"volume\" (strip, control, channel, cc, note, number or "
          "type)" },
    };

    for (const auto& [settings, why] : refused)
    {
        const auto outcome = (*this) ("set live.karvelo " + juce::String (settings));
        EXPECT_EQ (outcome.status, 2) << settings;
        EXPECT_EQ (outcome.err, "karvelo set: " + std::string (why) + "\nTry 'karvelo set --help'.\n");
    }

    EXPECT_EQ (blockIn ("live.karvelo"), expected);

    ASSERT_EQ (chmod (preset.getFullPathName().toRawUTF8(), 0444), 0);
    EXPECT_EQ ((*this) ("set live.karvelo strip=1 control=knob1 cc=1").err,
               "karvelo: live.karvelo: the file is read-only\n");
    EXPECT_EQ (blockIn ("live.karvelo"), expected);
}

TEST_F (Tool, SendAndReceiveThroughTheEngine)
{
    SimulatedKarvelo controller (system);
    write ("capture.syx", HexFile::read ("capture_preset_after_others.hex"));

    EXPECT_EQ ((*this) ("send capture.syx").status, 0);
    EXPECT_EQ (controller.getBlock(), blockIn ("capture.syx"));

    controller.setBlock (factoryBlock);
    EXPECT_EQ ((*this) ("receive --port=Karvelo received.json").status, 0);
    EXPECT_EQ (blockIn ("received.json"), factoryBlock);

    // A corrupted reply is not written; a controller that does not answer fails both ways.
    SimulatedKarvelo::Faults faults;
    faults.corruptedReply = true;
    controller.setFaults (faults);
    const auto corrupted = (*this) ("receive corrupted.karvelo");
    EXPECT_EQ (corrupted.status, 1);
    EXPECT_EQ (corrupted.err, "karvelo: Karvelo: no valid preset within 150 ms\n");
    EXPECT_FALSE (folder.getChildFile ("corrupted.karvelo").exists());

    faults = {};
    faults.noAnswer = true;
    controller.setFaults (faults);
    EXPECT_EQ ((*this) ("send capture.syx").err, "karvelo: Karvelo: no acknowledgement within 150 ms\n");
    EXPECT_EQ ((*this) ("receive x.karvelo").status, 1);

    const auto elsewhere = (*this) ("send capture.syx --port Other");
    EXPECT_EQ (elsewhere.status, 1);
    EXPECT_EQ (elsewhere.err, "karvelo: no MIDI input and output named \"Other\"\n");

    system->plugOutput ("Synth");
    EXPECT_EQ ((*this) ("ports").out, "input   Karvelo\noutput  Karvelo\noutput  Synth\n");
}
