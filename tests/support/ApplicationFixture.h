#pragma once

#include "MessageLoop.h"
#include "ScriptedDesktopServices.h"
#include "SimulatedKarvelo.h"
#include "TemporaryFolder.h"
#include "app/KarveloEditorApplication.h"
#include "ui/MainContentComponent.h"

#include <gtest/gtest.h>

/** The real application object, started in-process on virtual MIDI devices with a simulated
    controller plugged in, its questions and dialogs answered from a script. */
class ApplicationFixture : public ::testing::Test
{
protected:
    static constexpr int answerTimeout = 150;

    ApplicationFixture();
    ~ApplicationFixture() override;

    /** Creates the application and runs its start-up with this command line. */
    void start (const juce::String& commandLine = {});

    /** Runs the application's shut-down and destroys it. */
    void stop();

    juce::ReferenceCountedArray<MainWindow> windows() const;
    MainWindow& window (int index) const;
    MainContentComponent& panelOf (MainWindow& window) const;
    KARVELOEditorPreset& presetOf (MainWindow& window) const;

    /** Carries out a window's command as the menu or its key would. */
    void invoke (MainWindow& window, juce::CommandID command);

    /** Carries out one of the application's own commands. */
    void invoke (juce::CommandID command);

    /** Writes a preset file holding this block. */
    juce::File writePresetFile (const juce::String& name, const ByteArray& block);

    /** Lets pending results, value notifications and timers happen. */
    void settle (int milliseconds = 2 * answerTimeout + 100);

    /** The factory preset's block, taken from the hand-written test vector. */
    static ByteArray factoryPresetBlock();

    /** A valid block unlike the factory one: no control keeps the factory channel (0), numbers and
        switch types vary with the seed. */
    static ByteArray variedBlock (int seed);

    /** The 146 bytes a preset file holding this block consists of. */
    static ByteArray fileImageOf (const ByteArray& block);

    static ByteArray contentsOf (const juce::File& file);

    /** Lists as vectors, which a failed expectation prints item by item. */
    static std::vector<juce::String> listOf (const juce::StringArray& strings);
    std::vector<juce::String> titles() const;
    std::vector<juce::String> openInputs() const;
    std::vector<juce::String> openOutputs() const;

    /** One of the open MIDI Setup window's buttons: "OK", "Cancel" or "Apply". */
    juce::Button& setupButton (const juce::String& name) const;

    std::shared_ptr<VirtualMidiSystem> system;
    SimulatedKarvelo controller;
    TemporaryFolder folder;
    ScriptedDesktopServices* desktop = nullptr;
    std::unique_ptr<KarveloEditorApplication> app;

private:
    std::unique_ptr<ScriptedDesktopServices> scriptedDesktop;
};
