#pragma once

#include "AboutWindow.h"
#include "DesktopServices.h"
#include "MainMenuModel.h"
#include "MidiMonitorWindow.h"
#include "MidiSetupWindow.h"
#include "RecoveryFolder.h"
#include "WindowManager.h"

#include <functional>

/** The editor as a desktop application: creates the shared services at start, opens the
    controller's ports and the first window, owns the commands that do not belong to one window,
    turns every engine result into a message, and quits after asking each window about saving.

    The product class supplies the engine, the preset type, the factory preset and the About
    picture. Everything here runs on the message thread.
*/
class OrvikEditorApplication
    : public juce::JUCEApplication
    , public OrvikEditorEngine::Listener
    , public MainWindow::Owner
    , public MidiSetupWindow::Owner
{
public:
    using DeviceLayerFactory = std::function<std::unique_ptr<MidiDeviceLayer>()>;

    /** The device layer is made when the application starts; the desktop services answer its
        questions and dialogs. An application that is the whole process (not one under test) starts
        on the process's arguments, and writes the unsaved edits at once when a termination signal
        or a lost X display ends it. */
    OrvikEditorApplication (DeviceLayerFactory deviceLayerFactory,
                            std::unique_ptr<DesktopServices> desktopServices, RecoverySettings recovery = {},
                            bool isTheWholeProcess = false);
    ~OrvikEditorApplication() override;

    static constexpr const char* userGuideFileName = KARVELO_USER_GUIDE; // set in CMakeLists.txt
    static constexpr const char* messageTitle = "Karvelo Editor";
    static constexpr const char* noDeviceMessage =
        "MIDI Device is not found.  Verify MIDI Settings in the MIDI Setup window.";
    static constexpr const char* noAcknowledgementMessage =
        "No Preset Acknowledgement returned. Verify Midi Input Settings.";
    static constexpr const char* openErrorMessage = "Error Opening File.";
    static constexpr const char* saveErrorMessage = "Error Saving File.";
    static constexpr const char* recoveryTitle = "Unsaved Presets";

    /** The warning when a recent file chosen from File > Open Recent is gone. */
    static juce::String getMissingRecentFileMessage (const juce::File& file);

    /** The question asked at start when editors that ended without saving left presets behind. */
    static juce::String getRecoveryQuestion (int numPresets);

    // juce::JUCEApplication
    const juce::String getApplicationName() override;
    const juce::String getApplicationVersion() override;
    bool moreThanOneInstanceAllowed() override;
    /** Starts on the process's arguments (see startWithArguments); JUCE's command line, which joins
        them into one string, is not used. */
    void initialise (const juce::String& commandLine) override;
    void shutdown() override;
    void anotherInstanceStarted (const juce::String& commandLine) override;
    void systemRequestedQuit() override;

    // juce::ApplicationCommandTarget
    void getAllCommands (juce::Array<juce::CommandID>& commands) override;
    void getCommandInfo (juce::CommandID commandID, juce::ApplicationCommandInfo& result) override;
    bool perform (const InvocationInfo& info) override;

    /** Start-up: the shared services, the controller's ports, a window for each file the arguments
        name (see CommandLine), in order, and the question about presets that editors which ended
        without saving left behind; a window on the factory preset when that made none. */
    void startWithArguments (const juce::StringArray& arguments);

    /** A new window on the factory preset. */
    virtual void newDocument() = 0;

    /** A new untitled window on this preset. */
    virtual MainWindow::Ptr openWindowForPreset (EditorPreset::Ptr preset) = 0;

    /** A new window on this file, made whatever the outcome of loading it. A window whose file
        could not be loaded is titled after it but has no file to save to. */
    virtual MainWindow::Ptr openPresetFileInNewWindow (const juce::File& file) = 0;

    void closeMidiSetupWindow() override;

    void sendPresetResult (EditorPreset::Ptr preset, int result) override;
    void requestPresetResult (int result) override;
    void openPresetFileResult (int result) override;
    void savePresetFileResult (int result) override;

    virtual void showAboutWindow();
    virtual void showMessage (const juce::String& text);
    virtual OrvikEditorEngine::Ptr getEngine() = 0;
    EditorPreset::Ptr createDefaultPreset() override = 0;
    virtual juce::String getMidiInputDeviceName();
    virtual juce::String getMidiOutputDeviceName();
    virtual juce::Image createAboutImage() = 0;
    virtual void openUserGuide();
    virtual void createEngine() = 0;

    // MainWindow::Owner
    juce::String getApplicationDisplayName() const override;
    DesktopServices& getDesktopServices() override;
    void closeWindow (MainWindow& window) override;
    juce::ApplicationCommandManager* getCommandManager() const override { return commandManager.get(); }
    void rememberRecentFile (const juce::File& file) override;
    juce::Array<KARVELOControlMap::Message>& getStripClipboard() override { return stripClipboard; }

    void showMidiSetupWindow();

    /** View > Zoom: every window and dialog is shown at this zoom (one of UserSettings::zoomPercents),
        now and at later starts. What the windows hold, their focus and their places stay. */
    void setZoom (int percent);

    /** Window > MIDI Monitor: one monitor for the application, kept with its history when closed. */
    void showMidiMonitorWindow();

    MidiTraffic::Ptr getMidiTraffic() const { return midiTraffic; }
    MidiMonitorWindow::Ptr getMidiMonitorWindow() const { return midiMonitorWindow; }

    /** The open-file dialog of the Open Preset command. */
    void openPresetWithDialog();

    /** File > Import SysEx...: the open-file dialog for a `.syx` file, then importSysEx. */
    void importSysExWithDialog();

    /** Opens the first Karvelo preset message of a `.syx` file (a PresetData reply or a SendPreset
        message, among any other messages) in a new untitled window. The preset is in no preset file
        yet, so the window has unsaved edits from the start and the recovery folder keeps them. A
        file without such a message, or that cannot be read, opens nothing: a warning says why.
        Returns the new window, or nothing. */
    MainWindow::Ptr importSysEx (const juce::File& file);

    /** Opens a file chosen from File > Open Recent as Open Preset does; one that no longer exists
        leaves the list, with a warning. */
    void openRecentFile (const juce::File& file);

    /** Where the user guide is looked for, in order. */
    juce::Array<juce::File> getUserGuideLocations() const;

    MidiManager::Ptr getMidiManager() const { return midiManager; }
    WindowManager::Ptr getWindowManager() const { return windowManager; }
    MainMenuModel* getMenuModel() const { return menuModel.get(); }
    MidiSetupWindow::Ptr getMidiSetupWindow() const { return midiSetupWindow; }
    AboutWindow::Ptr getAboutWindow() const { return aboutWindow; }
    UserSettings* getUserSettings() const { return settings.get(); }

protected:
    /** Makes, registers and places a main window on the panel; an empty name makes it "Untitled n". */
    MainWindow::Ptr createMainWindow (std::unique_ptr<juce::Component> content, EditorPreset::Ptr preset,
                                      const juce::String& name);

private:
    /** Asks whether to reopen the presets that editors no longer running left, and does as told. */
    void offerLeftoverPresets();

    /** The window goes on the user's answer. */
    void removeWindow (MainWindow& window);

    /** What a send or a request that failed tells the user: no port opens the MIDI Setup window. */
    void reportTransferResult (bool noDevice, bool noAnswer);

    /** Scales the desktop to the zoom in the settings, each window keeping its layout's size. */
    void applyZoom();

    /** The quit sequence: each window in turn is asked about saving; a Cancel stops it. */
    void quitAfterAskingEachWindow();

    juce::PopupMenu extraApplicationMenuItems;
    std::unique_ptr<UserSettings> settings;
    juce::Array<KARVELOControlMap::Message> stripClipboard;
    std::unique_ptr<MainMenuModel> menuModel;
    std::unique_ptr<juce::ApplicationCommandManager> commandManager;
    WindowManager::Ptr windowManager;
    MidiManager::Ptr midiManager;
    MidiTraffic::Ptr midiTraffic;
    MidiMonitorWindow::Ptr midiMonitorWindow;
    AboutWindow::Ptr aboutWindow;
    MidiSetupWindow::Ptr midiSetupWindow;

    DeviceLayerFactory createDeviceLayer;
    std::unique_ptr<DesktopServices> desktop;
    const RecoverySettings recoverySettings;
    const bool isTheProcess;
    float scaleFoundAtStart = 1.0f; ///< the desktop's scale, given back at shutdown
    std::unique_ptr<RecoveryFolder> recovery;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OrvikEditorApplication)
};
