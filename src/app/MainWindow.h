#pragma once

#include "DesktopServices.h"
#include "engine/OrvikEditorEngine.h"
#include "model/KARVELOControlMap.h"
#include "model/PresetHistory.h"

#include <optional>

/** The document window of one preset: shows its main panel, carries the preset's commands (close,
    save, save as, load from and send to the controller, minimise) and asks whether to save before it
    closes or loads another file.

    The title is the application's name and the window's display name: "Untitled n" until the preset
    has a file, then the file's name.

    Each window keeps the undo history of its preset (Edit > Undo and Redo): every change, whatever
    made it (a box, a reply from the controller, a batch command), is a step. The window knows
    whether its preset has unsaved edits: whether it differs from what was last opened or saved, so
    that undoing back to that state clears them.

    Every command of the window first takes an entry still being typed into a box, as Return would.
    Undo and Redo are no exception: Ctrl+Z in an open box takes the entry and then takes it back,
    Redo bringing it again, rather than undoing keystrokes inside the box.
*/
class MainWindow
    : public juce::DocumentWindow
    , public juce::ApplicationCommandTarget
    , public juce::ReferenceCountedObject
    , private juce::Label::Listener
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

        /** The commands, whose key mappings also work in a box's editor, and whose status follows
            the window's history. */
        virtual juce::ApplicationCommandManager* getCommandManager() const = 0;

        /** A preset file was opened or saved: it goes to the top of the recent files. */
        virtual void rememberRecentFile (const juce::File& file) = 0;

        /** The strip Copy Strip took last, shared by every window: its seven controls in reading
            order; empty until a strip is copied. */
        virtual juce::Array<KARVELOControlMap::Message>& getStripClipboard() = 0;
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
    static constexpr const char* sysExPatterns = "*.syx";
    static constexpr const char* mappingPatterns = "*.csv;*.html;*.htm";

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

    /** File > Export SysEx...: asks for a file and writes the preset to it as one SendPreset
        message, the bytes the controller accepts as they are; a name without extension gets
        ".syx". The window keeps its own file and unsaved edits. Returns whether it was written; a
        failed write says why in a warning. */
    bool exportSysEx();

    /** File > Export Mapping...: asks for a file and writes the preset's mapping to it, one row per
        control: a self-contained web page with the panel's picture when the name ends in ".html" or
        ".htm", CSV otherwise (a name without extension gets ".csv"). Returns whether it was
        written; a failed write says why in a warning. */
    bool exportMapping();

    /** The panel as the window shows it now, as a PNG. */
    juce::MemoryBlock getPanelPicture();

    /** Loads a preset file into this window, asking first when the preset was edited. A file that
        cannot be loaded leaves the window as it was: its preset, its file and its title. */
    void openFile (const juce::File& file);

    /** The window keeps its name and title but has no file to save to, so that Save asks for one:
        for a window made on a file that could not be loaded, which must not be written over. */
    void forgetFile();

    /** Whether the preset differs from what was last opened or saved into the window (or was
        recovered from a process that ended before saving it). */
    bool hasUnsavedEdits() const;

    /** The preset holds edits that no file has, whatever it holds now. */
    void markAsEdited();

    void addListener (Listener* listener) { listeners.add (listener); }
    void removeListener (Listener* listener) { listeners.remove (listener); }

    /** The preset as its file holds it. */
    ByteArray getFileImage() const;

    void sendToHardware();
    void loadFromHardware();

    /** Sets the channel of every control, as one step, to what the user enters (1 to 16). */
    void setEveryChannel();

    /** The strip (1 to 8) of the box, or other part of a control's view, that has the keyboard
        focus in this window; nothing when the focus is elsewhere or on the master fader. */
    std::optional<int> getFocusedStrip() const;

    void copyStrip();
    void pasteStrip();

    juce::String getFilePath() const { return filePath; }
    juce::String getDisplayName() const { return displayName; }
    EditorPreset::Ptr getPreset() const { return preset; }

private:
    void setTitleName (const juce::String& shownName);
    void takeEntryBeingTyped();

    /** The save dialog; a name without extension gets this one, asking before it replaces a file
        of the completed name (the dialog asked only about the name as typed). */
    std::optional<juce::File> askForFileToWrite (const juce::String& title, const juce::String& patterns,
                                                 const juce::String& extension);

    /** Writes an export with SafeFileWriter; a failure is told in a warning. */
    bool writeExport (const juce::File& file, const juce::MemoryBlock& content);

    /** The preset was written to this file. */
    void saved (const juce::File& file);

    /** Tells the listeners and the commands about a change of the history. */
    void historyChanged();

    /** Calls the function on every number box of the panel. */
    template <typename Function>
    void forEachBox (Function&& function);

    void labelTextChanged (juce::Label*) override {}
    void editorShown (juce::Label*, juce::TextEditor& editor) override;
    void editorHidden (juce::Label*, juce::TextEditor&) override;

    juce::String filePath, displayName;
    EditorPreset::Ptr preset;
    OrvikEditorEngine::Ptr engine;
    Owner& owner;

    std::unique_ptr<PresetHistory> history;
    bool recovered = false;  ///< holds edits of a process that ended before saving them
    bool toldEdited = false; ///< what the listeners last heard
    bool quiet = false;      ///< while a file is being opened into the window
    bool entryOpen = false;  ///< a box's editor is open
    juce::ListenerList<Listener> listeners;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainWindow)
};
