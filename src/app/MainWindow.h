#pragma once

#include "DesktopServices.h"
#include "engine/OrvikEditorEngine.h"
#include "model/ListenerArray.h"

/** The document window of one preset: shows its main panel, carries the preset's commands (close,
    save, save as, load from and send to the controller, minimise) and asks whether to save before it
    closes or loads another file.

    The title is the application's name and the window's display name: "Untitled n" until the preset
    has a file, then the file's name.

    The window knows whether its preset has unsaved edits: changes since it was last opened, loaded
    or saved. It learns of changes from the preset's parameter values, whatever made them (a box, a
    reply from the controller), as their change notices arrive on the message thread.
*/
class MainWindow
    : public juce::DocumentWindow
    , public juce::ApplicationCommandTarget
    , public juce::ReferenceCountedObject
    , private juce::Value::Listener
    , private juce::AsyncUpdater
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

        /** Values sharing every parameter value of the preset. */
        virtual juce::Array<juce::Value> getParameterValues (EditorPreset& preset) = 0;
    };

    /** Told on the message thread when the window's preset gains or loses unsaved edits, and at every
        further change of a preset that has them. */
    class Listener
    {
    public:
        virtual ~Listener() = default;
        virtual void presetEditsChanged (MainWindow& window) = 0;
    };

    static constexpr const char* filePatterns = "*.karvelo";
    static constexpr const char* fileExtension = ".karvelo";

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

    /** Asks for a file and saves to it; a name without extension gets ".karvelo". The window takes
        the chosen file even when the write fails (the error box follows), so that Save tries it
        again. Returns whether the preset was written. */
    bool saveAs();

    /** Loads a preset file into this window, asking first when the preset was edited. A file that
        cannot be loaded leaves the window as it was: its preset, its file and its title. */
    void openFile (const juce::File& file);

    /** The window keeps its name and title but has no file to save to, so that Save asks for one:
        for a window made on a file that could not be loaded, which must not be written over. */
    void forgetFile();

    /** Whether the preset changed since it was last opened, loaded or saved (or was recovered from a
        process that ended before saving it). */
    bool hasUnsavedEdits() const noexcept { return edited; }

    /** The preset holds edits that no file has, whatever it holds now. */
    void markAsEdited();

    void addListener (Listener* listener) { listeners.add (listener); }
    void removeListener (Listener* listener) { listeners.remove (listener); }

    /** The preset as its file holds it. */
    ByteArray getFileImage() const;

    void sendToHardware();
    void loadFromHardware();

    juce::String getFilePath() const { return filePath; }
    juce::String getDisplayName() const { return displayName; }
    EditorPreset::Ptr getPreset() const { return preset; }

private:
    void setTitleName (const juce::String& shownName);
    void takeEntryBeingTyped();

    /** What the preset holds now is what its file holds. */
    void markUnedited();

    void valueChanged (juce::Value&) override;
    void handleAsyncUpdate() override;

    juce::String filePath, displayName;
    EditorPreset::Ptr preset;
    OrvikEditorEngine::Ptr engine;
    Owner& owner;

    std::vector<juce::Value> watchedValues;
    ByteArray uneditedBlock; ///< the block last opened, loaded or saved
    bool edited = false;
    ListenerArray<Listener> listeners;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainWindow)
};
