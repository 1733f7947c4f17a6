#pragma once

#include "HexFile.h"
#include "MessageLoop.h"
#include "SimulatedKarvelo.h"
#include "TemporaryFolder.h"
#include "app/KarveloEditorApplication.h"
#include "ui/MainContentComponent.h"

#include <gtest/gtest.h>

// Answers the editor's questions and file dialogs from a script and logs every box it was asked to
// show, one entry each: "ask <title>: <message>" (with " [<yes>/<no>/<cancel>]" for a question with
// buttons of its own), "open <title>: <patterns>", "save <title>: <patterns>", "entry <title>:
// <message>", "warning <title>: <message>", "native <title>: <message>", "document <path>" and
// "quit". A question or dialog with no scripted answer fails the test and is cancelled.
struct ScriptedDesktopServices : DesktopServices
{
    using Text = const juce::String&;

    Answer askYesNoCancel (Text title, Text message) override
    {
        auto& desktop = juce::Desktop::getInstance();
        juce::String front;

        for (int i = desktop.getNumComponents(); --i >= 0 && front.isEmpty();)
            if (auto* window = desktop.getComponent (i); window->isVisible() && ! window->isAlwaysOnTop())
                front = window->getName();

        frontWindows.add (front);
        return next (answers, "ask " + title + ": " + message, Answer::cancel);
    }

    Answer askQuestion (Text title, Text message, Text yes, Text no, Text cancel) override
    {
        return askYesNoCancel (title, message + " [" + yes + "/" + no + "/" + cancel + "]");
    }

    std::optional<juce::File> browseForFileToOpen (Text title, Text patterns) override
    {
        return next (files, "open " + title + ": " + patterns);
    }

    std::optional<juce::File> browseForFileToSave (Text title, Text patterns) override
    {
        const auto chosen = next (files, "save " + title + ": " + patterns);

        if (auto meanwhile = std::exchange (whileSaveDialogOpen, nullptr))
            meanwhile();

        return chosen;
    }

    // What the box's field would refuse cannot be typed.
    std::optional<juce::String> askForEntry (Text title, Text message, Text allowed) override
    {
        const auto entry = next (entries, "entry " + title + ": " + message);
        return entry ? std::optional<juce::String> (entry->retainCharacters (allowed)) : entry;
    }

    void showWarning (Text title, Text text) override { log.add ("warning " + title + ": " + text); }
    void showNativeMessage (Text title, Text text) override { log.add ("native " + title + ": " + text); }
    bool openDocument (const juce::File& document) override
    {
        log.add ("document " + document.getFullPathName());
        return true;
    }

    void quit() override { log.add ("quit"); }

    template <typename Scripted>
    Scripted next (std::deque<Scripted>& script, const juce::String& entry, Scripted cancelled = {})
    {
        log.add (entry);
        EXPECT_FALSE (script.empty()) << "no scripted answer for " << entry;

        if (script.empty())
            return cancelled;

        const auto answer = script.front();
        script.pop_front();
        return answer;
    }

    std::deque<Answer> answers;
    std::deque<std::optional<juce::File>> files;     // for the open and save dialogs alike, in turn
    std::deque<std::optional<juce::String>> entries; // typed into the entry boxes (nothing: Cancel)
    juce::StringArray log;
    juce::StringArray frontWindows;            // the front-most ordinary window's name at each question
    std::function<void()> whileSaveDialogOpen; // what the user does meanwhile, as a native dialog allows
};

// The real application object, started in-process on virtual MIDI devices with a simulated
// controller plugged in, its questions and dialogs answered from a script, its unsaved edits kept
// in a recovery folder of the test's own, its settings (and anything else kept under the user's
// XDG folders) in folders of the test's own.
class ApplicationFixture : public ::testing::Test
{
protected:
    using Answer = DesktopServices::Answer;

    ApplicationFixture()
    {
        setenv ("XDG_CONFIG_HOME", folder.getChildFile ("config").getFullPathName().toRawUTF8(), 1);
        setenv ("XDG_DATA_HOME", folder.getChildFile ("data").getFullPathName().toRawUTF8(), 1);
    }

    ~ApplicationFixture() override { stop(); }

    // Creates the application, with a fresh script (holding these answers for questions asked at
    // start), and runs its start-up with these arguments.
    void start (const juce::StringArray& arguments = {}, std::deque<Answer> answers = {})
    {
        auto script = std::make_unique<ScriptedDesktopServices>();
        script->answers = std::move (answers);
        desktop = script.get();
        app = std::make_unique<KarveloEditorApplication> ([this] { return system->createLayer(); },
                                                          std::move (script), 150,
                                                          RecoverySettings{ recoveryFolder, 50 });
        app->startWithArguments (arguments);
    }

    void stop()
    {
        if (app != nullptr)
            app->shutdown();

        app = nullptr;
        MessageLoop::drain();
    }

    MainWindow& window (int index) const { return *app->getWindowManager()->getWindows()[index]; }
    auto& panelOf (MainWindow& w) { return dynamic_cast<MainContentComponent&> (*w.getContentComponent()); }
    KARVELOEditorPreset& presetOf (MainWindow& w) { return *panelOf (w).getPreset(); }
    static void invoke (MainWindow& w, juce::CommandID command) { w.invoke (command, false); }
    void invoke (juce::CommandID command) { app->invoke (command, false); }

    // Every box shown since the last call, joined by " | ", once there are at least `count` of them
    // (waiting up to 5 s for them).
    juce::String shown (int count = 0)
    {
        MessageLoop::runUntil ([&] { return desktop->log.size() >= count; });
        return std::exchange (desktop->log, {}).joinIntoString (" | ");
    }

    // The names of the windows on the desktop, sorted and joined by ", ".
    static juce::String desktopWindows()
    {
        juce::StringArray names;

        for (int i = 0; i < juce::Desktop::getInstance().getNumComponents(); ++i)
            names.add (juce::Desktop::getInstance().getComponent (i)->getName());

        names.sort (false);
        return names.joinIntoString (", ");
    }

    // A preset file holding this block.
    juce::File writePresetFile (const juce::String& name, const ByteArray& block)
    {
        const auto file = folder.getChildFile (name);
        EXPECT_TRUE (file.replaceWithData (fileImageOf (block).begin(), 146));
        return file;
    }

    // A valid block unlike the factory one, the same for the same seed.
    static ByteArray variedBlock (int seed)
    {
        juce::Random random (seed);
        return HexFile::randomValidBlock (random);
    }

    // The 146 bytes of a preset file holding this block, written out by hand.
    static ByteArray fileImageOf (const ByteArray& block)
    {
        auto image = HexFile::parse ("f0 47 00 31 67 01 0a");
        image.addArray (block);
        image.add (0xf7);
        return image;
    }

    std::shared_ptr<VirtualMidiSystem> system = VirtualMidiSystem::create();
    SimulatedKarvelo controller{ system };
    TemporaryFolder folder;
    juce::File recoveryFolder = folder.getChildFile ("recovery");
    ScriptedDesktopServices* desktop = nullptr;
    std::unique_ptr<KarveloEditorApplication> app;
};
