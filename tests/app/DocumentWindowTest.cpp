#include "ApplicationFixture.h"
#include "GuiTestSupport.h"
#include "app/CommandIDs.h"
#include "engine/PresetFormats.h"

namespace
{
using Windows = ApplicationFixture;

const juce::String ask = "ask Save Document: Save Preset: ";
const juce::String saveDialog = "save Select filename to save: *.karvelo";
const juce::String openDialog = "open Select Filename to open: *.karvelo";
const juce::String importDialog = "open Select SysEx file to import: *.syx";
const juce::String mappingDialog = "save Select filename to export: *.csv;*.html;*.htm";
const juce::String warning = "warning Karvelo Editor: ";
} // namespace

TEST_F (Windows, SaveQuestionsAndQuit)
{
    start();
    invoke (CommandIDs::newDocument);
    panelOf (window (1)).getKnobView (0).getCcBox().setValue (60, juce::sendNotificationSync);
    const auto edited = presetOf (window (1)).getData();
    const auto kept = folder.getChildFile ("Kept.karvelo");
    desktop->answers = { Answer::cancel, Answer::yes, Answer::yes, Answer::yes };
    // Save As cancelled, then a file in a folder that does not exist, then one that can be written.
    desktop->files = { std::nullopt, folder.getChildFile ("None").getChildFile ("Lost.karvelo"), kept };

    for (int i = 0; i < 3; ++i)
        invoke (window (1), CommandIDs::closeWindow);

    EXPECT_EQ (shown (6), ask + "Untitled 2 | " + ask + "Untitled 2 | " + saveDialog + " | " + ask
                              + "Untitled 2 | " + saveDialog + " | " + warning + "Error Saving File.");
    // Named after the file chosen although it could not be written, so that Save tries it again.
    EXPECT_EQ (desktopWindows(), "Karvelo Editor Lost, Karvelo Editor Untitled 1");
    invoke (window (1), CommandIDs::closeWindow);
    EXPECT_EQ (shown(), ask + "Lost.karvelo | " + saveDialog);
    EXPECT_EQ (HexFile::contentsOf (kept), fileImageOf (edited));

    auto& panel = panelOf (window (0));
    const auto file = folder.getChildFile ("Typed.karvelo");
    auto expected = HexFile::factoryBlock();

    // Ctrl+S or Ctrl+W pressed while a box's editor is still open: the entry is taken as Return
    // would take it, so a channel typed as 16 is stored as 15. (What Return refuses: NumberBoxTest.)
    panel.getKnobView (0).getCcBox().showEditor();
    GuiTestSupport::type (*panel.getKnobView (0).getCcBox().getCurrentTextEditor(), "42");
    expected.set (1, 42);
    desktop->files = { file };
    invoke (window (0), CommandIDs::save);
    EXPECT_EQ (HexFile::contentsOf (file), fileImageOf (expected));
    panel.getFaderView (8).getChannelBox().showEditor();
    GuiTestSupport::type (*panel.getFaderView (8).getChannelBox().getCurrentTextEditor(), "16");
    expected.set (48 + 2 * 8, 15);
    desktop->answers = { Answer::yes };
    invoke (window (0), CommandIDs::closeWindow);
    EXPECT_EQ (HexFile::contentsOf (file), fileImageOf (expected));
    EXPECT_EQ (shown(), saveDialog + " | " + ask + "Typed.karvelo | quit");

    // While a question holds the application modal, the window manager's close button does nothing.
    invoke (CommandIDs::newDocument);
    juce::Component question;
    question.enterModalState (false);
    window (0).closeButtonPressed();
    question.exitModalState (0);
    EXPECT_EQ (shown(), "");

    // A native save dialog leaves the windows working: this one is closed before the dialog returns.
    const auto chosen = folder.getChildFile ("Closed.karvelo");
    desktop->files = { chosen };
    desktop->answers = { Answer::no };
    desktop->whileSaveDialogOpen = [this] { invoke (window (0), CommandIDs::closeWindow); };
    invoke (window (0), CommandIDs::saveAs);
    EXPECT_EQ (shown(), saveDialog + " | " + ask + "Untitled 3 | quit");
    EXPECT_EQ (HexFile::contentsOf (chosen), fileImageOf (HexFile::factoryBlock()));

    // Likewise while quitting: a window closed during another's save dialog is not asked again.
    invoke (CommandIDs::newDocument);
    invoke (CommandIDs::newDocument);
    desktop->files = { chosen };
    desktop->answers = { Answer::yes, Answer::no };
    desktop->whileSaveDialogOpen = [this] { invoke (window (1), CommandIDs::closeWindow); };
    invoke (CommandIDs::quit);
    EXPECT_EQ (shown(), ask + "Untitled 4 | " + saveDialog + " | " + ask + "Untitled 5 | quit");

    // Numbered on from there, three windows asked about as the program quits.
    for (int i = 0; i < 3; ++i)
        invoke (CommandIDs::newDocument);

    // Each window in front as it is asked about; Cancel stops the quit, and so does a Yes whose save
    // does not happen.
    desktop->answers = { Answer::no, Answer::cancel, Answer::yes };
    desktop->files = { std::nullopt };
    desktop->frontWindows.clear();
    invoke (CommandIDs::quit);
    app->systemRequestedQuit();
    EXPECT_EQ (desktop->frontWindows.joinIntoString (", "),
               "Karvelo Editor Untitled 6, Karvelo Editor Untitled 7, Karvelo Editor Untitled 7");
    EXPECT_EQ (shown(), ask + "Untitled 6 | " + ask + "Untitled 7 | " + ask + "Untitled 7 | " + saveDialog);

    desktop->answers = { Answer::no, Answer::no };
    invoke (CommandIDs::quit);
    EXPECT_EQ (shown(), ask + "Untitled 7 | " + ask + "Untitled 8 | quit");

    // A file handed over while no window is open gets a window of its own; into the active window,
    // with a question only when it does not hold the factory preset; with another program's window
    // active, a window of its own again.
    const auto handOver = [this] (const juce::String& name, int seed)
    { app->anotherInstanceStarted (writePresetFile (name, variedBlock (seed)).getFullPathName().quoted()); };
    const auto active = [this] { return app->getWindowManager()->getActiveWindow().get(); };
    handOver ("One.karvelo", 4);
    invoke (window (0), CommandIDs::newDocument);
    window (1).toFront (true);
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return active() == &window (1); }, 2000));
    desktop->answers = { Answer::cancel, Answer::no };

    for (const auto seed : { 5, 6, 6 })
        handOver (seed == 5 ? "Two.karvelo" : "Three.karvelo", seed);

    EXPECT_EQ (shown(), ask + "Two.karvelo | " + ask + "Two.karvelo");
    EXPECT_EQ (desktopWindows(), "Karvelo Editor One.karvelo, Karvelo Editor Three.karvelo");
    juce::Component elsewhere;
    elsewhere.setSize (200, 100);
    GuiTestSupport::HostWindow other (elsewhere);
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return active() == nullptr; }, 2000));
    handOver ("Four.karvelo", 7);
    EXPECT_EQ (
        shown() + desktopWindows(), // no question
        "Karvelo Editor Four.karvelo, Karvelo Editor One.karvelo, Karvelo Editor Three.karvelo, Test window");
}

TEST_F (Windows, ArgumentsArePaths)
{
    // Names that joining, trimming or unquoting the arguments would change; the last is given as a
    // launcher gives it.
    const juce::String names[] = { "\"Quoted.karvelo", "Two  words.karvelo", "Line\n",
                                   juce::CharPointer_UTF8 ("M\xc3\xa9lange #1.karvelo") };
    for (int i = 0; i < 4; ++i)
        writePresetFile (names[i], variedBlock (i));

    const auto address = "file://localhost"
                         + juce::URL::addEscapeChars (folder.getChildFile (names[3]).getFullPathName(), false)
                               .replace ("%2F", "/");
    const auto workingFolder = juce::File::getCurrentWorkingDirectory();
    folder.get().setAsCurrentWorkingDirectory();
    start (
        { names[0], folder.getChildFile (names[1]).getFullPathName(), "-x", "--unknown", names[2], address });
    workingFolder.setAsCurrentWorkingDirectory();

    ASSERT_EQ (app->getWindowManager()->getNumWindows(), 4);

    for (int i = 0; i < 4; ++i)
        EXPECT_EQ (std::pair (window (i).getName(), presetOf (window (i)).getData()),
                   std::pair ("Karvelo Editor " + names[i], variedBlock (i)));

    MessageLoop::runFor (400);
    EXPECT_EQ (shown(), "");
}

TEST_F (Windows, BadFileNeverWritten)
{
    const auto good = writePresetFile ("Good.karvelo", variedBlock (2));
    const auto broken = writePresetFile ("Long.karvelo", variedBlock (3));
    ASSERT_TRUE (broken.appendText ("\n"));
    const auto brokenBytes = HexFile::contentsOf (broken);
    const auto openError = warning + "Error Opening File.";

    // Started on it, or opened with Open Preset (as a file that is gone): titled after it, on the factory
    // preset, with Save and the close question's Yes going to Save As (cancelled here).
    start ({ broken.getFullPathName() });
    EXPECT_EQ (shown (1), openError);
    desktop->files = { broken, folder.getChildFile ("Missing.karvelo"), std::nullopt };

    for (int i = 0; i < 3; ++i)
        invoke (CommandIDs::openPreset);

    EXPECT_EQ (shown (5),
               openDialog + " | " + openDialog + " | " + openDialog + " | " + openError + " | " + openError);
    EXPECT_EQ (desktopWindows(),
               "Karvelo Editor Long.karvelo, Karvelo Editor Long.karvelo, Karvelo Editor Missing.karvelo");
    EXPECT_EQ (presetOf (window (1)).getData(), HexFile::factoryBlock());
    desktop->files = { std::nullopt, std::nullopt };
    desktop->answers = { Answer::yes };
    invoke (window (0), CommandIDs::save);
    invoke (window (1), CommandIDs::closeWindow);
    EXPECT_EQ (shown(), saveDialog + " | " + ask + "Long.karvelo | " + saveDialog);

    // Loaded into a window that has a file: the window stays as it was, bound to its own file.
    desktop->files = { good };
    invoke (CommandIDs::openPreset);
    desktop->answers = { Answer::no };
    window (3).openFile (broken);
    EXPECT_EQ (shown (3), openDialog + " | " + ask + "Good.karvelo | " + openError);
    EXPECT_EQ (std::pair (window (3).getName(), presetOf (window (3)).getData()),
               std::pair (juce::String ("Karvelo Editor Good.karvelo"), variedBlock (2)));
    ASSERT_TRUE (presetOf (window (3)).setData (variedBlock (4)));
    invoke (window (3), CommandIDs::save);
    EXPECT_EQ (HexFile::contentsOf (good), fileImageOf (variedBlock (4)));
    EXPECT_EQ (HexFile::contentsOf (broken), brokenBytes);
}

// Save As; the front window's preset exported as SysEx, as CSV and as a page; a SysEx file imported;
// Help.
TEST_F (Windows, FileMenuAndHelp)
{
    start();

    // Save As given a bare name adds the extension, and asks before replacing a completed name.
    const auto typed = folder.getChildFile ("mine");
    const auto completed = folder.getChildFile ("mine.karvelo");
    const auto replaceQuestion =
        "ask Select filename to save: \"mine.karvelo\" already exists. Replace it? [Replace//Cancel]";
    desktop->files = { typed, typed, typed, folder.getChildFile ("mine.v2") };
    desktop->answers = { Answer::cancel, Answer::yes };

    invoke (window (0), CommandIDs::saveAs);
    EXPECT_EQ (HexFile::contentsOf (completed), fileImageOf (HexFile::factoryBlock()));
    EXPECT_FALSE (typed.exists());

    // The dialog warned about "mine" only: replacing "mine.karvelo" is asked about.
    ASSERT_TRUE (presetOf (window (0)).setData (variedBlock (1)));
    invoke (window (0), CommandIDs::saveAs);
    EXPECT_EQ (HexFile::contentsOf (completed), fileImageOf (HexFile::factoryBlock()));
    invoke (window (0), CommandIDs::saveAs);
    EXPECT_EQ (HexFile::contentsOf (completed), fileImageOf (variedBlock (1)));

    invoke (window (0), CommandIDs::saveAs); // a name with an extension of its own is kept
    EXPECT_EQ (HexFile::contentsOf (folder.getChildFile ("mine.v2")), fileImageOf (variedBlock (1)));
    EXPECT_EQ (shown(), saveDialog + " | " + saveDialog + " | " + replaceQuestion + " | " + saveDialog + " | "
                            + replaceQuestion + " | " + saveDialog);

    juce::MemoryBlock exported;

    // Exported under a bare name given ".syx", as the controller is sent it (its bytes:
    // KarveloToolTest); the window keeps its name (the window list below).
    ASSERT_TRUE (presetOf (window (0)).setData (variedBlock (3)));
    desktop->files = { folder.getChildFile ("Live") };
    invoke (window (0), CommandIDs::exportSysEx);
    EXPECT_EQ (shown(), "save Select filename to export: *.syx");
    ASSERT_TRUE (folder.getChildFile ("Live.syx").loadFileAsData (exported));
    EXPECT_TRUE (exported == PresetFormats::encode (PresetFormats::Format::sysEx, variedBlock (3)));

    // Imported: the first preset of a capture with other messages, in a new unsaved window, as the
    // tool's decoder finds it. Nothing opens for a file without a preset, or a cancelled dialog; the
    // failure says why.
    for (auto [name, hex] : { std::pair ("capture.syx", "capture_preset_after_others.hex"),
                              std::pair ("none.syx", "capture_without_preset.hex") })
    {
        const auto bytes = HexFile::read (hex);
        ASSERT_TRUE (folder.getChildFile (name).replaceWithData (bytes.begin(), (size_t) bytes.size()));
    }

    desktop->files = { folder.getChildFile ("capture.syx"), folder.getChildFile ("none.syx"), std::nullopt };

    for (int i = 0; i < 3; ++i)
        invoke (CommandIDs::importSysEx);

    ASSERT_EQ (app->getWindowManager()->getNumWindows(), 2);
    EXPECT_EQ (presetOf (window (1)).getData(),
               PresetFormats::readFile (folder.getChildFile ("capture.syx")).block);
    EXPECT_TRUE (window (1).getFilePath().isEmpty() && window (1).hasUnsavedEdits()); // named: the list below
    EXPECT_EQ (shown(), importDialog + " | " + importDialog + " | " + warning
                            + "Cannot import \"none.syx\": no Karvelo preset in 3 messages. | "
                            + importDialog);

    // Strip 1 knob 2 sends what knob 1 sends: CC 16 on channel 1. (Every row of the CSV: the tool's
    // conversions through it.)
    auto block = HexFile::factoryBlock();
    block.set (3, block[1]);
    presetOf (window (0)).setData (block);
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return ! panelOf (window (0)).isConflictCheckPending(); }));
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
                 && html.contains ("<title>Karvelo mapping: mine.v2</title>"));
    EXPECT_TRUE (juce::StringArray::fromLines (html).contains (
        "<tr class=\"conflict\"><td>1</td><td>knob2</td><td>knob</td><td>cc</td><td>1</td><td>16</td><td>"
        "strip 1 knob 1</td></tr>"));
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

    for (int i = 0; i < 940 * 721; i += 7)
        ASSERT_EQ (picture.getPixelAt (i % 940, i / 940), panel.getPixelAt (i % 940, i / 940)) << i;

    // A read-only file is left as it was, and the user is told. (Which files are refused: the tool's
    // tests of the same writer.)
    const auto csv = folder.getChildFile ("map.csv").loadFileAsString();
    ASSERT_TRUE (folder.getChildFile ("map.csv").setReadOnly (true));
    desktop->files = { folder.getChildFile ("map.csv") };
    invoke (window (0), CommandIDs::exportMapping);
    EXPECT_EQ (shown(), mappingDialog + " | " + warning
                            + "Cannot export \"map.csv\": the file is read-only. Nothing was written.");
    EXPECT_EQ (folder.getChildFile ("map.csv").loadFileAsString(), csv);

    // Help: About, once however often asked for (its clicks: Pictures.AboutBox).
    invoke (CommandIDs::about);
    invoke (CommandIDs::about);
    EXPECT_EQ (desktopWindows(), "About Karvelo Editor, Karvelo Editor Untitled 2, Karvelo Editor mine");

    // The user guide, looked for where packages put it and beside the program.
    const juce::String guide = "Karvelo Editor - User Guide - v1.0.pdf";
    const auto beside =
        juce::File::getSpecialLocation (juce::File::currentExecutableFile).getSiblingFile (guide);
    const auto share = beside.getParentDirectory().getSiblingFile ("share");
    const auto documented = share.getChildFile ("doc/karvelo-editor/" + guide);
    const auto installed = share.getChildFile ("karvelo-editor/" + guide);
    invoke (CommandIDs::openUserGuide);
    EXPECT_EQ (shown(), "native Karvelo Editor: Unable to find user guide.\n" + documented.getFullPathName()
                            + "\n" + installed.getFullPathName() + "\n" + beside.getFullPathName());
    ASSERT_TRUE (beside.replaceWithText ("%PDF-1.4\n"));
    invoke (CommandIDs::openUserGuide);
    beside.deleteFile();
    EXPECT_EQ (shown(), "document " + beside.getFullPathName());

    // Without a window there is nothing to export.
    desktop->answers = { Answer::no, Answer::no };
    invoke (window (1), CommandIDs::closeWindow);
    invoke (window (0), CommandIDs::closeWindow);
    EXPECT_FALSE (app->getCommandManager()->invokeDirectly (CommandIDs::exportMapping, false));
}
