#pragma once

#include "OrvikEditorApplication.h"
#include "engine/KARVELOEditorEngine.h"

/** The Karvelo's editor: its engine, its presets and factory preset, its About picture. */
class KarveloEditorApplication : public OrvikEditorApplication
{
public:
    /** The editor as the program: the system's real MIDI devices, the desktop's own dialogs, the
        process's arguments, and unsaved edits kept in the user's recovery folder. */
    KarveloEditorApplication();

    /** The timeout is how long a send or a request waits for the controller's answer. */
    KarveloEditorApplication (
        DeviceLayerFactory deviceLayerFactory, std::unique_ptr<DesktopServices> desktopServices,
        int answerTimeoutMilliseconds = KARVELOEditorEngine::acknowledgementTimeoutMilliseconds,
        RecoverySettings recoveryToKeep = {});
    ~KarveloEditorApplication() override;

    void newDocument() override;
    MainWindow::Ptr openWindowForPreset (EditorPreset::Ptr preset) override;
    MainWindow::Ptr openPresetFileInNewWindow (const juce::File& file) override;
    OrvikEditorEngine::Ptr getEngine() override;
    EditorPreset::Ptr createDefaultPreset() override;
    juce::Image createAboutImage() override;
    void createEngine() override;

private:
    /** Keeps every panel's lights and touches with what the MIDI ports do: POWER while an input and
        an output are open, MIDI on each batch of incoming messages, and the controls of the front
        window's preset that an incoming controller or note message matches. */
    class PanelLights
        : private MidiTraffic::Listener
        , private juce::Timer
    {
    public:
        explicit PanelLights (KarveloEditorApplication& owner);
        ~PanelLights() override;

        /** How often the ports are looked at for the POWER light. */
        static constexpr int portCheckMilliseconds = 250;

        void update();

    private:
        void midiTrafficArrived (const std::vector<MidiTraffic::Event>& events, int dropped) override;
        void timerCallback() override { update(); }

        KarveloEditorApplication& application;
    };

    static KARVELOEditorPreset::Ptr asKarveloPreset (const EditorPreset::Ptr& preset);
    std::unique_ptr<juce::Component> createPanel (const EditorPreset::Ptr& preset) const;

    const int answerTimeout;
    KARVELOEditorEngine::Ptr engine;
    std::unique_ptr<PanelLights> panelLights;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (KarveloEditorApplication)
};
