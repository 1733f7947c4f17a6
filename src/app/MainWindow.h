#pragma once

#include "DesktopServices.h"
#include "engine/OrvikEditorEngine.h"

/** The document window of one preset: shows its main panel, carries the preset's commands (close,
    save, save as, load from and send to the controller, minimise) and asks whether to save before it
    closes or loads another file.

    The title is the application's name and the window's display name: "Untitled n" until the preset
    has a file, then the file's name.
*/
class MainWindow
    : public juce::DocumentWindow
    , public juce::ApplicationCommandTarget
    , public juce::ReferenceCountedObject
{
public:
    using Ptr = juce::ReferenceCountedObjectPtr<MainWindow>;

    /** What a main window needs from the application. */
    class Owner
    {
    public:
        virtual ~Owner() = default;
        virtual juce::String getApplicationDisplayName() const = 0;
        virtual DesktopServices& getDesktopServices() = 0;

        /** Asks the window whether it may close, then closes it. */
        virtual void closeWindow (MainWindow& window) = 0;

        /** A new preset holding the factory block. */
        virtual EditorPreset::Ptr createDefaultPreset() = 0;
    };

    static constexpr const char* filePatterns = "*.karvelo";

    /** A name that is an absolute path binds the window to that file; any other name is just shown.
        The menu bar, when given, lives in the window (on desktops without a global menu bar). */
    MainWindow (std::unique_ptr<juce::Component> content, EditorPreset::Ptr preset,
                OrvikEditorEngine::Ptr engine, const juce::String& name, Owner& owner,
                juce::MenuBarModel* windowMenuBar = nullptr);
    ~MainWindow() override;

    void closeButtonPressed() override;

    void getAllCommands (juce::Array<juce::CommandID>& commands) override;
    void getCommandInfo (juce::CommandID commandID, juce::ApplicationCommandInfo& result) override;
    bool perform (const InvocationInfo& info) override;
    juce::ApplicationCommandTarget* getNextCommandTarget() override;

    /** The "Save Document" question. Yes saves; the answer allows closing only when the save
        happened (Yes and saved, or No). */
    bool askToSave();

    /** Saves to the window's file, or asks for one when it has none (or it no longer exists).
        Returns whether the preset was written. */
    bool save();

    /** Asks for a file and saves to it. The window takes the chosen file even when the write fails
        (the error box follows), so that Save tries it again. Returns whether the preset was written. */
    bool saveAs();

    /** Loads a preset file into this window, asking first when the preset was edited. */
    void openFile (const juce::File& file);

    void sendToHardware();
    void loadFromHardware();

    juce::String getFilePath() const { return filePath; }
    juce::String getDisplayName() const { return displayName; }
    EditorPreset::Ptr getPreset() const { return preset; }

private:
    void setTitleName (const juce::String& shownName);
    void takeEntryBeingTyped();

    juce::String filePath, displayName;
    EditorPreset::Ptr preset;
    OrvikEditorEngine::Ptr engine;
    Owner& owner;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainWindow)
};
