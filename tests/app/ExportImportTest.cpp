#include "ApplicationFixture.h"
#include "app/CommandIDs.h"
#include "engine/PresetFormats.h"

#include <sys/stat.h>

namespace
{
using Answer = DesktopServices::Answer;
using Exchange = ApplicationFixture;

const juce::String importDialog = "open Select SysEx file to import: *.syx";
const juce::String sysExDialog = "save Select filename to export: *.syx";
const juce::String mappingDialog = "save Select filename to export: *.csv;*.html;*.htm";
const juce::String warning = "warning Karvelo Editor: ";

juce::File writeFile (const TemporaryFolder& folder, const juce::String& name, const ByteArray& bytes)
{
    const auto file = folder.getChildFile (name);
    EXPECT_TRUE (file.replaceWithData (bytes.begin(), static_cast<size_t> (bytes.size())));
    return file;
}
} // namespace

TEST_F (Exchange, ImportSysEx)
{
    start();
    const auto capture = HexFile::read ("capture_preset_after_others.hex");
    desktop->files = { writeFile (folder, "capture.syx", capture) };
    invoke (CommandIDs::importSysEx);

    // The first preset in a new unsaved window, as the tool's decoder finds it.
    const auto block =
        PresetFormats::decode (PresetFormats::Format::sysEx, capture.begin(), (size_t) capture.size()).block;
    ASSERT_EQ (app->getWindowManager()->getNumWindows(), 2);
    EXPECT_EQ (presetOf (window (1)).getData(), block);
    EXPECT_EQ (window (1).getName() + window (1).getFilePath(), "Karvelo Editor Untitled 2");
    EXPECT_TRUE (window (1).hasUnsavedEdits());

    // Nothing opens for a file without a preset, or a cancelled dialog; the failure says why.
    desktop->files = { writeFile (folder, "none.syx", HexFile::read ("capture_without_preset.hex")),
                       std::nullopt };
    invoke (CommandIDs::importSysEx);
    invoke (CommandIDs::importSysEx);
    EXPECT_EQ (shown(), importDialog + " | " + importDialog + " | " + warning
                            + "Cannot import \"none.syx\": no Karvelo preset in 3 messages. | "
                            + importDialog);
    EXPECT_EQ (app->getWindowManager()->getNumWindows(), 2);
}

TEST_F (Exchange, ExportSysEx)
{
    start();
    const auto bare = folder.getChildFile ("Live");
    const auto file = folder.getChildFile ("Live.syx");

    // The factory preset exactly as the engine sends it; a bare name gets ".syx", and the completed
    // name is asked about before it is replaced: Cancel keeps it, Replace writes.
    desktop->files = { bare, bare, bare };
    desktop->answers = { Answer::cancel, Answer::yes };
    invoke (window (0), CommandIDs::exportSysEx);
    EXPECT_EQ (contentsOf (file), HexFile::read ("send_preset_factory.hex"));
    presetOf (window (0)).setData (variedBlock (3));
    invoke (window (0), CommandIDs::exportSysEx);
    EXPECT_EQ (contentsOf (file), HexFile::read ("send_preset_factory.hex"));
    invoke (window (0), CommandIDs::exportSysEx);
    const auto question =
        " | ask Select filename to export: \"Live.syx\" already exists. Replace it? [Replace//Cancel]";
    EXPECT_EQ (shown(), sysExDialog + " | " + sysExDialog + question + " | " + sysExDialog + question);

    // The controller takes the file as it is; the export changed nothing of the window; it imports.
    ByteArray stored;
    EXPECT_EQ (SimulatedKarvelo::answerTo (contentsOf (file), stored).size(), 10);
    EXPECT_EQ (stored, variedBlock (3));
    EXPECT_EQ (window (0).getName(), "Karvelo Editor Untitled 1");
    desktop->files = { file };
    invoke (CommandIDs::importSysEx);
    EXPECT_EQ (presetOf (window (1)).getData(), variedBlock (3));

    // A read-only file is left as it was, for either export, and the user is told.
    const auto locked = writeFile (folder, "locked.syx", { 1, 2, 3 });
    const auto lockedCsv = writeFile (folder, "locked.csv", { 4, 5 });
    ::chmod (locked.getFullPathName().toRawUTF8(), 0444);
    ::chmod (lockedCsv.getFullPathName().toRawUTF8(), 0444);
    desktop->files = { locked, lockedCsv };
    invoke (window (0), CommandIDs::exportSysEx);
    invoke (window (0), CommandIDs::exportMapping);
    const auto readOnly = "\": the file is read-only. Nothing was written.";
    EXPECT_EQ (shown(), importDialog + " | " + sysExDialog + " | " + warning + "Cannot export \"locked.syx"
                            + readOnly + " | " + mappingDialog + " | " + warning
                            + "Cannot export \"locked.csv" + readOnly);
    EXPECT_EQ (contentsOf (locked), ByteArray ({ 1, 2, 3 }));
    EXPECT_EQ (contentsOf (lockedCsv), ByteArray ({ 4, 5 }));
    EXPECT_EQ (folder.get().getNumberOfChildFiles (juce::File::findFiles), 3);

    // Without a window there is nothing to export; importing still works.
    desktop->answers = { Answer::no, Answer::no };
    invoke (window (1), CommandIDs::closeWindow);
    invoke (window (0), CommandIDs::closeWindow);
    EXPECT_FALSE (app->getCommandManager()->invokeDirectly (CommandIDs::exportSysEx, false));
    EXPECT_FALSE (app->getCommandManager()->invokeDirectly (CommandIDs::exportMapping, false));
    desktop->files = { std::nullopt };
    EXPECT_TRUE (app->getCommandManager()->invokeDirectly (CommandIDs::importSysEx, false));
}

TEST_F (Exchange, ExportMapping)
{
    start();

    // Strip 1 knob 2 sends what knob 1 sends: CC 16 on channel 1.
    auto block = factoryPresetBlock();
    block.set (3, block[1]);
    presetOf (window (0)).setData (block);
    settle (100); // the panel shows the change and its conflict marks
    desktop->files = { folder.getChildFile ("map"), folder.getChildFile ("Map.HTML") };
    invoke (window (0), CommandIDs::exportMapping);
    invoke (window (0), CommandIDs::exportMapping);
    EXPECT_EQ (shown(), mappingDialog + " | " + mappingDialog);

    const auto csv =
        juce::StringArray::fromLines (folder.getChildFile ("map.csv").loadFileAsString().trimEnd());
    ASSERT_EQ (csv.size(), 58);
    EXPECT_EQ (csv.joinIntoString ("\n", 0, 4), "strip,control,kind,type,channel,number,conflicts\n"
                                                "1,knob1,knob,cc,1,16,strip 1 knob 2\n"
                                                "1,knob2,knob,cc,1,16,strip 1 knob 1\n"
                                                "1,knob3,knob,cc,1,18,");
    EXPECT_EQ (csv[57], "master,fader,fader,cc,1,62,");

    // The same rows in a page of its own, the conflicts marked, the picture the panel the window shows.
    const auto html = folder.getChildFile ("Map.HTML").loadFileAsString();
    EXPECT_TRUE (html.startsWith ("<!DOCTYPE html>")
                 && html.contains ("<title>Karvelo mapping: Untitled 1</title>"));
    EXPECT_TRUE (juce::StringArray::fromLines (html).contains (
        "<tr class=\"conflict\"><td>1</td><td>knob2</td><td>knob</td><td>cc</td><td>1</td><td>16</td><td>"
        "strip 1 knob 1</td></tr>"));
    EXPECT_EQ (html.length() - html.replace ("<tr", "").length(), 58 * 3);
    EXPECT_EQ (html.length() - html.replace ("class=\"conflict\"", "").length(), 2 * 16);
    const auto data = html.fromFirstOccurrenceOf ("src=\"data:image/png;base64,", false, false)
                          .upToFirstOccurrenceOf ("\"", false, false);
    const auto rest = html.replace (data, {});
    EXPECT_FALSE (rest.contains ("http") || rest.contains ("<link") || rest.contains ("<script")
                  || rest.contains ("url("));
    juce::MemoryOutputStream png;
    ASSERT_TRUE (juce::Base64::convertFromBase64 (png, data));
    const auto picture = juce::ImageFileFormat::loadFrom (png.getData(), png.getDataSize());
    const auto panel = window (0).getContentComponent()->createComponentSnapshot ({ 0, 0, 940, 721 });
    ASSERT_EQ (picture.getBounds(), panel.getBounds());

    for (int y = 0; y < panel.getHeight(); y += 5)
        for (int x = 0; x < panel.getWidth(); x += 5)
            ASSERT_EQ (picture.getPixelAt (x, y), panel.getPixelAt (x, y)) << x << ", " << y;
}
