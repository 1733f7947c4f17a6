#include "ApplicationFixture.h"
#include "app/CommandIDs.h"

#include <sys/stat.h>

namespace
{
using Answer = DesktopServices::Answer;
using Exchange = ApplicationFixture;

const juce::String importDialog = "open Select SysEx file to import: *.syx";
const juce::String sysExDialog = "save Select filename to export: *.syx";
const juce::String mappingDialog = "save Select filename to export: *.csv;*.html;*.htm";

// The bytes of a test vector in a file of the test's folder.
juce::File writeFile (const TemporaryFolder& folder, const juce::String& name, const ByteArray& bytes)
{
    const auto file = folder.getChildFile (name);
    EXPECT_TRUE (file.replaceWithData (bytes.begin(), static_cast<size_t> (bytes.size())));
    return file;
}

// The block of the capture's PresetData reply, read by hand: the 138 bytes after its header, without
// the clock byte that arrived inside it.
ByteArray blockOfCapture (const ByteArray& capture)
{
    ByteArray block;

    for (int i = 0; i + 2 < capture.size() && block.isEmpty(); ++i)
        if (capture[i] == 0x67 && capture[i + 1] == 0x01 && capture[i + 2] == 0x0a)
            for (int j = i + 3; block.size() < 138; ++j)
                if (capture[j] != 0xf8)
                    block.add (capture[j]);

    return block;
}
} // namespace

TEST_F (Exchange, ImportSysExOpensTheFirstPresetInANewUnsavedWindowOrSaysWhyNothingOpened)
{
    start();
    const auto capture = HexFile::read ("capture_preset_after_others.hex");
    desktop->files = { writeFile (folder, "capture.syx", capture) };
    invoke (CommandIDs::importSysEx);

    ASSERT_EQ (app->getWindowManager()->getNumWindows(), 2);
    EXPECT_EQ (presetOf (window (1)).getData(), blockOfCapture (capture));
    EXPECT_NE (presetOf (window (1)).getData(), factoryPresetBlock());
    EXPECT_EQ (window (1).getName(), "Karvelo Editor Untitled 2");
    EXPECT_EQ (window (1).getFilePath(), "");
    EXPECT_TRUE (window (1).hasUnsavedEdits());
    EXPECT_EQ (shown(), importDialog);

    // Nothing opens for a file without a preset, one whose preset is cut short, one that is gone,
    // or a cancelled dialog; each failure says why.
    desktop->files = { writeFile (folder, "none.syx", HexFile::read ("capture_without_preset.hex")),
                       writeFile (folder, "cut.syx", HexFile::read ("capture_preset_cut_short.hex")),
                       folder.getChildFile ("gone.syx"), std::nullopt };

    for (int i = 0; i < 4; ++i)
        invoke (CommandIDs::importSysEx);

    const auto warning = "warning Karvelo Editor: Cannot import ";
    EXPECT_EQ (shown(), importDialog + " | " + warning + "\"none.syx\": no Karvelo preset in 3 messages. | "
                            + importDialog + " | " + warning
                            + "\"cut.syx\": no Karvelo preset in 4 messages: message 2 begins as one but "
                              "is cut short after 43 bytes of 146. | "
                            + importDialog + " | " + warning + "\"gone.syx\": No such file or directory. | "
                            + importDialog);
    EXPECT_EQ (app->getWindowManager()->getNumWindows(), 2);
}

TEST_F (Exchange, ExportSysExWritesTheSendPresetTheControllerTakesAndItImportsBack)
{
    start();
    const auto bare = folder.getChildFile ("Live");
    const auto file = folder.getChildFile ("Live.syx");

    // The factory preset exactly as the engine sends it; a bare name gets ".syx".
    desktop->files = { bare };
    invoke (window (0), CommandIDs::exportSysEx);
    EXPECT_EQ (shown(), sysExDialog);
    EXPECT_EQ (contentsOf (file), HexFile::read ("send_preset_factory.hex"));

    // The completed name is asked about before it is replaced: Cancel keeps it, Replace writes.
    presetOf (window (0)).setData (variedBlock (3));
    desktop->files = { bare, bare };
    desktop->answers = { Answer::cancel, Answer::yes };
    const auto question = " | ask Select filename to export: \"Live.syx\" already exists. Replace it? "
                          "[Replace//Cancel]";

    invoke (window (0), CommandIDs::exportSysEx);
    EXPECT_EQ (contentsOf (file), HexFile::read ("send_preset_factory.hex"));
    invoke (window (0), CommandIDs::exportSysEx);
    EXPECT_EQ (shown(), sysExDialog + question + " | " + sysExDialog + question);

    // The controller takes the file as it is, as `amidi -s` sends it; the export changed nothing of
    // the window.
    ByteArray stored;
    EXPECT_EQ (SimulatedKarvelo::answerTo (contentsOf (file), stored).size(), 10);
    EXPECT_EQ (stored, variedBlock (3));
    EXPECT_EQ (window (0).getName(), "Karvelo Editor Untitled 1");

    desktop->files = { file };
    invoke (CommandIDs::importSysEx);
    EXPECT_EQ (presetOf (window (1)).getData(), variedBlock (3));
    EXPECT_EQ (shown(), importDialog);
}

TEST_F (Exchange, ExportMappingWritesCsvOrAPageWithThePictureByTheNameChosen)
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
    EXPECT_EQ (csv[0], "strip,control,kind,type,channel,number,conflicts");
    EXPECT_EQ (csv[1], "1,knob1,knob,cc,1,16,strip 1 knob 2");
    EXPECT_EQ (csv[2], "1,knob2,knob,cc,1,16,strip 1 knob 1");
    EXPECT_EQ (csv[3], "1,knob3,knob,cc,1,18,");
    EXPECT_EQ (csv[57], "master,fader,fader,cc,1,62,");

    // The same rows in the page, the conflicts marked; the picture is the panel the window shows.
    const auto html = folder.getChildFile ("Map.HTML").loadFileAsString();
    EXPECT_TRUE (html.startsWith ("<!DOCTYPE html>"));
    EXPECT_EQ (
        html.upToFirstOccurrenceOf ("</title>", false, false).fromLastOccurrenceOf ("<title>", false, false),
        "Karvelo mapping: Untitled 1");
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
    int differing = 0;

    for (int y = 0; y < panel.getHeight(); y += 5)
        for (int x = 0; x < panel.getWidth(); x += 5)
            differing += picture.getPixelAt (x, y) != panel.getPixelAt (x, y) ? 1 : 0;

    EXPECT_EQ (differing, 0);
}

TEST_F (Exchange, AnExportRefusedByAReadOnlyFileSaysSoAndLeavesItAsItWas)
{
    start();
    const auto locked = writeFile (folder, "locked.syx", { 1, 2, 3 });
    const auto lockedCsv = writeFile (folder, "locked.csv", { 4, 5 });
    ::chmod (locked.getFullPathName().toRawUTF8(), 0444);
    ::chmod (lockedCsv.getFullPathName().toRawUTF8(), 0444);
    desktop->files = { locked, lockedCsv };
    invoke (window (0), CommandIDs::exportSysEx);
    invoke (window (0), CommandIDs::exportMapping);

    EXPECT_EQ (shown(), sysExDialog
                            + " | warning Karvelo Editor: Cannot export \"locked.syx\": the file is "
                              "read-only. Nothing was written. | "
                            + mappingDialog
                            + " | warning Karvelo Editor: Cannot export \"locked.csv\": the "
                              "file is read-only. Nothing was written.");
    EXPECT_EQ (contentsOf (locked), ByteArray ({ 1, 2, 3 }));
    EXPECT_EQ (contentsOf (lockedCsv), ByteArray ({ 4, 5 }));
    EXPECT_EQ (folder.get().getNumberOfChildFiles (juce::File::findFiles), 2);
}

TEST_F (Exchange, TheFileMenuHoldsTheThreeAndTheExportsNeedAWindow)
{
    start();
    const auto file = app->getMenuModel()->getMenuForIndex (0, "File");
    juce::StringArray items;

    for (juce::PopupMenu::MenuItemIterator it (file); it.next();)
        if (! it.getItem().isSeparator)
            items.add (it.getItem().text);

    EXPECT_EQ (items.joinIntoString (", "),
               "New, Open Preset, Open Recent, Import SysEx..., Close Window, Save, Save As, "
               "Export SysEx..., Export Mapping..., Load From Hardware, Send To Hardware, MIDI Setup, Quit");

    desktop->answers = { Answer::no };
    invoke (window (0), CommandIDs::closeWindow);
    EXPECT_FALSE (app->getCommandManager()->invokeDirectly (CommandIDs::exportSysEx, false));
    EXPECT_FALSE (app->getCommandManager()->invokeDirectly (CommandIDs::exportMapping, false));
    desktop->files = { std::nullopt };
    EXPECT_TRUE (app->getCommandManager()->invokeDirectly (CommandIDs::importSysEx, false));
}
