#pragma once

#include "HexFile.h"
#include "MessageLoop.h"
#include "ScriptedDesktopServices.h"
#include "SimulatedKarvelo.h"
#include "TemporaryFolder.h"
#include "app/KarveloEditorApplication.h"
#include "ui/MainContentComponent.h"

#include <gtest/gtest.h>

#include <cstdlib>

// The real application object, started in-process on virtual MIDI devices with a simulated
// controller plugged in, its questions and dialogs answered from a script, its unsaved edits kept
// in a recovery folder of the test's own, its settings (and anything else kept under the user's
// XDG folders) in folders of the test's own.
class ApplicationFixture : public ::testing::Test
{
protected:
    static constexpr int answerTimeout = 150;
    static constexpr int recoveryDelay = 50;

    ApplicationFixture()
    {
        setenv ("XDG_CONFIG_HOME", configHome.getFullPathName().toRawUTF8(), 1);
        setenv ("XDG_DATA_HOME", folder.getChildFile ("data").getFullPathName().toRawUTF8(), 1);
    }

    ~ApplicationFixture() override
    {
        stop();
        unsetenv ("XDG_CONFIG_HOME");
        unsetenv ("XDG_DATA_HOME");
    }

    // Creates the application, with a fresh script (holding these answers for questions asked at
    // start), and runs its start-up with these arguments.
    void start (const juce::StringArray& arguments = {}, std::deque<DesktopServices::Answer> answers = {})
    {
        auto script = std::make_unique<ScriptedDesktopServices>();
        script->answers = std::move (answers);
        desktop = script.get();
        app = std::make_unique<KarveloEditorApplication> ([this] { return system->createLayer(); },
                                                          std::move (script), answerTimeout,
                                                          RecoverySettings{ recoveryFolder, recoveryDelay });
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

    // Lets pending results, value notifications and timers happen.
    static void settle (int milliseconds = 2 * answerTimeout + 100) { MessageLoop::runFor (milliseconds); }

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

    // "<open inputs> / <open outputs>".
    juce::String ports() const
    {
        const auto midi = app->getMidiManager();
        return midi->getOpenMidiInputNames().joinIntoString (", ") + " / "
               + midi->getOpenMidiOutputNames().joinIntoString (", ");
    }

    // One of the open MIDI Setup window's buttons: "OK", "Cancel" or "Apply".
    juce::Button& setupButton (const juce::String& name) const
    {
        for (auto* child : app->getMidiSetupWindow()->getPanel().getChildren())
            if (child->getName() == name)
                return dynamic_cast<juce::Button&> (*child);

        throw std::logic_error ("no button " + name.toStdString());
    }

    // A preset file holding this block, cut to `size` bytes if asked.
    juce::File writePresetFile (const juce::String& name, const ByteArray& block, int size = 146)
    {
        const auto file = folder.getChildFile (name);
        EXPECT_TRUE (file.replaceWithData (fileImageOf (block).begin(), static_cast<size_t> (size)));
        return file;
    }

    static juce::uint8 byte (int value) { return static_cast<juce::uint8> (value); }

    static ByteArray factoryPresetBlock() { return HexFile::factoryBlock(); }

    // A valid block unlike the factory one: no control keeps the factory channel (0), numbers and
    // switch types vary with the seed.
    static ByteArray variedBlock (int seed)
    {
        ByteArray block;

        for (int i = 0; i < KARVELOEditorPreset::numKnobs + KARVELOEditorPreset::numFaders; ++i)
            block.add (byte (1 + (i + seed) % 15), byte ((i * 7 + seed * 3 + 1) % 128));

        for (int i = 0; i < KARVELOEditorPreset::numSwitches; ++i)
            block.add (byte (1 + (i * 5 + seed) % 15), byte ((i + seed) % 2), byte ((i * 11 + seed) % 128));

        return block;
    }

    // The 146 bytes of a preset file holding this block, written out by hand.
    static ByteArray fileImageOf (const ByteArray& block)
    {
        auto image = HexFile::parse ("f0 47 00 31 67 01 0a");
        image.addArray (block);
        image.add (0xf7);
        return image;
    }

    static ByteArray contentsOf (const juce::File& file) { return HexFile::contentsOf (file); }

    std::shared_ptr<VirtualMidiSystem> system = VirtualMidiSystem::create();
    SimulatedKarvelo controller{ system };
    TemporaryFolder folder;
    juce::File recoveryFolder = folder.getChildFile ("recovery");
    juce::File configHome = folder.getChildFile ("config");
    ScriptedDesktopServices* desktop = nullptr;
    std::unique_ptr<KarveloEditorApplication> app;
};
