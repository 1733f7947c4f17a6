#include "ApplicationFixture.h"
#include "app/CommandIDs.h"
#include "engine/PresetFormats.h"

namespace
{
using Exchange = ApplicationFixture;

const juce::String importDialog = "open Select SysEx file to import: *.syx";
const juce::String sysExDialog = "save Select filename to export: *.syx";
const juce::String mappingDialog = "save Select filename to export: *.csv;*.html;*.htm";
const juce::String warning = "warning Karvelo Editor: ";
} // namespace

TEST_F (Exchange, SysExExportedAndImported)
{
    start();
    const auto file = folder.getChildFile ("Varied.syx");

    // The factory preset exactly as the engine sends it, under a bare name given ".syx" (the question
    // before a completed name is replaced: Windows.SaveAsAddsExtension); the window stays as it was.
    desktop->files = { folder.getChildFile ("Live"), file };
    invoke (window (0), CommandIDs::exportSysEx);
    EXPECT_EQ (HexFile::contentsOf (folder.getChildFile ("Live.syx")),
               HexFile::read ("send_preset_factory.hex"));
    presetOf (window (0)).setData (variedBlock (3));
    invoke (window (0), CommandIDs::exportSysEx);
    EXPECT_EQ (shown(), sysExDialog + " | " + sysExDialog);
    EXPECT_EQ (window (0).getName(), "Karvelo Editor Untitled 1");

    // Imported: the first preset of the file exported, then of a capture with other messages, each
    // in a new unsaved window, as the tool's decoder finds it. Nothing opens for a file without a
    // preset, or a cancelled dialog; the failure says why.
    const auto capture = HexFile::read ("capture_preset_after_others.hex");
    const auto write = [this] (const juce::String& name, const ByteArray& bytes)
    {
        EXPECT_TRUE (folder.getChildFile (name).replaceWithData (bytes.begin(), (size_t) bytes.size()));
        return folder.getChildFile (name);
    };
    desktop->files = { file, write ("capture.syx", capture),
                       write ("none.syx", HexFile::read ("capture_without_preset.hex")), std::nullopt };

    for (int i = 0; i < 4; ++i)
        invoke (CommandIDs::importSysEx);

    ASSERT_EQ (app->getWindowManager()->getNumWindows(), 3);
    EXPECT_EQ (presetOf (window (1)).getData(), variedBlock (3));
    EXPECT_EQ (
        presetOf (window (2)).getData(),
        PresetFormats::decode (PresetFormats::Format::sysEx, capture.begin(), (size_t) capture.size()).block);
    EXPECT_EQ (window (2).getName() + window (2).getFilePath(), "Karvelo Editor Untitled 3");
    EXPECT_TRUE (window (2).hasUnsavedEdits());
    EXPECT_EQ (shown(), importDialog + " | " + importDialog + " | " + importDialog + " | " + warning
                            + "Cannot import \"none.syx\": no Karvelo preset in 3 messages. | "
                            + importDialog);
}

TEST_F (Exchange, MappingAsCsvAndPage)
{
    start();

    // Strip 1 knob 2 sends what knob 1 sends: CC 16 on channel 1. (Every row of the CSV: the tool's
    // conversions through it.)
    auto block = HexFile::factoryBlock();
    block.set (3, block[1]);
    presetOf (window (0)).setData (block);
    settle (100); // the panel shows the change and its conflict marks
    desktop->files = { folder.getChildFile ("map"), folder.getChildFile ("Map.HTML") };
    invoke (window (0), CommandIDs::exportMapping);
    invoke (window (0), CommandIDs::exportMapping);
    EXPECT_EQ (shown(), mappingDialog + " | " + mappingDialog);
    EXPECT_TRUE (folder.getChildFile ("map.csv").loadFileAsString().startsWith (
        "strip,control,kind,type,channel,number,conflicts\n"
        "1,knob1,knob,cc,1,16,strip 1 knob 2\n"
        "1,knob2,knob,cc,1,16,strip 1 knob 1\n"
        "1,knob3,knob,cc,1,18,\n"));

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

    // A read-only file is left as it was, and the user is told. (Which files are refused: the tool's
    // tests of the same writer.)
    const auto csv = folder.getChildFile ("map.csv").loadFileAsString();
    ASSERT_TRUE (folder.getChildFile ("map.csv").setReadOnly (true));
    desktop->files = { folder.getChildFile ("map.csv") };
    invoke (window (0), CommandIDs::exportMapping);
    EXPECT_EQ (shown(), mappingDialog + " | " + warning
                            + "Cannot export \"map.csv\": the file is read-only. Nothing was written.");
    EXPECT_EQ (folder.getChildFile ("map.csv").loadFileAsString(), csv);

    // Without a window there is nothing to export.
    desktop->answers = { Answer::no };
    invoke (window (0), CommandIDs::closeWindow);
    EXPECT_FALSE (app->getCommandManager()->invokeDirectly (CommandIDs::exportMapping, false));
}
