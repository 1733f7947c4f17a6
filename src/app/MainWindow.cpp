#include "MainWindow.h"

#include "CommandIDs.h"
#include "engine/MappingFormats.h"
#include "engine/SysExProtocol.h"
#include "model/ListenerCalls.h"
#include "ui/KARVELOKnobView.h"
#include "ui/KARVELOSwitchView.h"
#include "ui/NumberBoxComponent.h"

namespace
{
constexpr const char* setEveryChannelStep = "Set Every Channel";
constexpr const char* pasteStripStep = "Paste Strip";
} // namespace

MainWindow::MainWindow (std::unique_ptr<juce::Component> content, EditorPreset::Ptr presetToEdit,
                        OrvikEditorEngine::Ptr sharedEngine, const juce::String& name, Owner& windowOwner,
                        juce::MenuBarModel* windowMenuBar)
    : juce::DocumentWindow ({}, juce::Colours::black,
                            juce::DocumentWindow::minimiseButton | juce::DocumentWindow::closeButton, true)
    , filePath (name)
    , preset (std::move (presetToEdit))
    , engine (std::move (sharedEngine))
    , owner (windowOwner)
{
    if (name.startsWithChar ('/') || name.startsWithChar ('~'))
    {
        displayName = juce::File (name).getFileName();
    }
    else
    {
        displayName = name;
        filePath = {};
    }

    setTitleName (displayName);
    setUsingNativeTitleBar (true);

    auto* karvelo = dynamic_cast<KARVELOEditorPreset*> (preset.get());
    jassert (karvelo != nullptr);
    history = std::make_unique<PresetHistory> (karvelo);
    history->onChange = [this] { historyChanged(); };

    if (windowMenuBar != nullptr)
        setMenuBar (windowMenuBar);

    const auto width = content->getWidth(), height = content->getHeight();
    setContentOwned (content.release(), true);
    setContentComponentSize (width, height);
    setResizable (false, false);

    forEachBox ([this] (juce::Label& box) { box.addListener (this); });
}

MainWindow::~MainWindow()
{
    history->onChange = nullptr;
    forEachBox ([this] (juce::Label& box) { box.removeListener (this); });
    setMenuBar (nullptr);
    clearContentComponent();
}

void MainWindow::setTitleName (const juce::String& shownName)
{
    setName (owner.getApplicationDisplayName() + " " + shownName);
}

void MainWindow::closeButtonPressed()
{
    // The window manager's close button still works while a question or dialog holds the
    // application modal; closing a window then would pull it from under that question.
    if (isCurrentlyBlockedByAnotherModalComponent())
        return;

    owner.closeWindow (*this);
}

void MainWindow::takeEntryBeingTyped()
{
    // Ctrl+S, Ctrl+W and the menus reach the window while a box's editor still holds what the user
    // typed: it is taken first, as Return would take it, so that it is what gets saved or sent.
    if (auto* content = getContentComponent())
        NumberBoxComponent<int>::commitEditsWithin (*content);
}

template <typename Function>
void MainWindow::forEachBox (Function&& function)
{
    std::function<void (juce::Component&)> visit = [&] (juce::Component& component)
    {
        if (auto* box = dynamic_cast<NumberBoxComponent<int>*> (&component))
            function (static_cast<juce::Label&> (*box));

        for (auto* child : component.getChildren())
            visit (*child);
    };

    if (auto* content = getContentComponent())
        visit (*content);
}

void MainWindow::editorShown (juce::Label*, juce::TextEditor& editor)
{
    // A text editor keeps Ctrl+Z, Ctrl+Shift+Z and Ctrl+Y for its own undo before its window's keys
    // are looked at; the command keys are tried in the editor first instead.
    entryOpen = true;

    if (auto* commands = owner.getCommandManager())
        editor.addKeyListener (commands->getKeyMappings());
}

void MainWindow::editorHidden (juce::Label*, juce::TextEditor&)
{
    entryOpen = false;
}

void MainWindow::getAllCommands (juce::Array<juce::CommandID>& commands)
{
    commands.addArray ({ CommandIDs::loadFromHardware, CommandIDs::closeWindow, CommandIDs::save,
                         CommandIDs::saveAs, CommandIDs::minimizeWindow, CommandIDs::sendToHardware,
                         CommandIDs::undo, CommandIDs::redo, CommandIDs::copyStrip, CommandIDs::pasteStrip,
                         CommandIDs::setEveryChannel, CommandIDs::exportSysEx, CommandIDs::exportMapping });
}

void MainWindow::getCommandInfo (juce::CommandID commandID, juce::ApplicationCommandInfo& result)
{
    const auto command = juce::ModifierKeys::commandModifier;

    switch (commandID)
    {
        case CommandIDs::closeWindow:
            result.setInfo ("Close Window", {}, CommandIDs::category, 0);
            result.addDefaultKeypress ('w', command);
            break;

        case CommandIDs::save:
            result.setInfo ("Save", {}, CommandIDs::category, 0);
            result.addDefaultKeypress ('s', command);
            break;

        case CommandIDs::saveAs:
            result.setInfo ("Save As", {}, CommandIDs::category, 0);
            break;
        case CommandIDs::exportSysEx:
            result.setInfo ("Export SysEx...", {}, CommandIDs::category, 0);
            break;
        case CommandIDs::exportMapping:
            result.setInfo ("Export Mapping...", {}, CommandIDs::category, 0);
            break;
        case CommandIDs::loadFromHardware:
            result.setInfo ("Load From Hardware", {}, CommandIDs::category, 0);
            break;
        case CommandIDs::sendToHardware:
            result.setInfo ("Send To Hardware", {}, CommandIDs::category, 0);
            break;

        case CommandIDs::minimizeWindow:
            result.setInfo ("Minimize Window", {}, CommandIDs::category, 0);
            result.addDefaultKeypress ('m', command);
            break;

        case CommandIDs::undo:
            // An entry typed a moment ago is named once its notice has arrived; the menu is built now.
            history->recordPendingEdits();
            result.setInfo (juce::String ("Undo " + history->getUndoName()).trimEnd(), {},
                            CommandIDs::category, 0);
            result.addDefaultKeypress ('z', command);
            // With a box being edited, Undo takes back what it holds.
            result.setActive (history->canUndo() || entryOpen);
            break;

        case CommandIDs::redo:
            result.setInfo (juce::String ("Redo " + history->getRedoName()).trimEnd(), {},
                            CommandIDs::category, 0);
            result.addDefaultKeypress ('z', command | juce::ModifierKeys::shiftModifier);
            result.addDefaultKeypress ('y', command);
            result.setActive (history->canRedo());
            break;

        case CommandIDs::copyStrip:
            result.setInfo ("Copy Strip", {}, CommandIDs::category, 0);
            result.setActive (getFocusedStrip().has_value());
            break;

        case CommandIDs::pasteStrip:
            result.setInfo ("Paste Strip", {}, CommandIDs::category, 0);
            result.setActive (getFocusedStrip().has_value() && ! owner.getStripClipboard().isEmpty());
            break;

        case CommandIDs::setEveryChannel:
            result.setInfo ("Set Every Channel...", {}, CommandIDs::category, 0);
            break;

        default:
            break;
    }
}

bool MainWindow::perform (const InvocationInfo& info)
{
    switch (info.commandID)
    {
        case CommandIDs::closeWindow:
            owner.closeWindow (*this);
            return true;
        case CommandIDs::save:
            save();
            return true;
        case CommandIDs::saveAs:
            saveAs();
            return true;
        case CommandIDs::exportSysEx:
            exportSysEx();
            return true;
        case CommandIDs::exportMapping:
            exportMapping();
            return true;
        case CommandIDs::loadFromHardware:
            loadFromHardware();
            return true;
        case CommandIDs::sendToHardware:
            sendToHardware();
            return true;
        case CommandIDs::minimizeWindow:
            setMinimised (true);
            return true;
        case CommandIDs::undo:
            takeEntryBeingTyped();
            history->undo();
            return true;
        case CommandIDs::redo:
            takeEntryBeingTyped();
            history->redo();
            return true;
        case CommandIDs::copyStrip:
            copyStrip();
            return true;
        case CommandIDs::pasteStrip:
            pasteStrip();
            return true;
        case CommandIDs::setEveryChannel:
            setEveryChannel();
            return true;
        default:
            return false;
    }
}

juce::ApplicationCommandTarget* MainWindow::getNextCommandTarget()
{
    return findFirstTargetParentComponent();
}

bool MainWindow::askToSave()
{
    takeEntryBeingTyped();

    switch (owner.getDesktopServices().askYesNoCancel ("Save Document", "Save Preset: " + displayName))
    {
        case DesktopServices::Answer::yes:
            return save();
        case DesktopServices::Answer::no:
            return true;
        case DesktopServices::Answer::cancel:
            break;
    }

    return false;
}

bool MainWindow::save()
{
    takeEntryBeingTyped();
    const juce::File file (filePath);

    if (filePath.isNotEmpty() && file.existsAsFile())
    {
        const auto written = engine->savePresetFile (file, preset);

        if (written)
            saved (file);

        return written;
    }

    return saveAs();
}

bool MainWindow::saveAs()
{
    takeEntryBeingTyped();

    // A native file dialog runs the message loop without holding the application modal: the window
    // may be closed (and released by its owner) before the dialog returns.
    const Ptr keepAlive (this);

    // Without an extension the file would not show in Open Preset's list.
    const auto chosen = askForFileToWrite ("Select filename to save", filePatterns, fileExtension);

    if (! chosen.has_value())
        return false;

    const auto file = *chosen;
    const auto written = engine->savePresetFile (file, preset);

    // The window takes the chosen file's names even when the write failed ("Error Saving File."
    // follows), so that Save goes on trying the file the user chose.
    filePath = file.getFullPathName();
    displayName = file.getFileName();
    setTitleName (file.getFileNameWithoutExtension());

    if (written)
        saved (file);

    return written;
}

std::optional<juce::File> MainWindow::askForFileToWrite (const juce::String& title,
                                                         const juce::String& patterns,
                                                         const juce::String& extension)
{
    auto& desktop = owner.getDesktopServices();
    auto file = desktop.browseForFileToSave (title, patterns);

    if (! file.has_value() || file->getFileExtension().isNotEmpty())
        return file;

    file = file->withFileExtension (extension);

    if (file->exists()
        && desktop.askQuestion (title, file->getFileName().quoted() + " already exists. Replace it?",
                                "Replace", {}, "Cancel")
               != DesktopServices::Answer::yes)
        return std::nullopt;

    return file;
}

bool MainWindow::writeExport (const juce::File& file, const juce::MemoryBlock& content)
{
    const auto why = PresetFormats::replaceFile (file, content.getData(), content.getSize());

    if (why.isNotEmpty())
        owner.getDesktopServices().showWarning (owner.getApplicationDisplayName(),
                                                "Cannot export " + file.getFileName().quoted() + ": " + why
                                                    + ". Nothing was written.");

    return why.isEmpty();
}

bool MainWindow::exportSysEx()
{
    takeEntryBeingTyped();
    const Ptr keepAlive (this);
    const auto file = askForFileToWrite ("Select filename to export", sysExPatterns, ".syx");

    return file.has_value()
           && writeExport (*file, PresetFormats::encode (PresetFormats::Format::sysEx, preset->getData()));
}

bool MainWindow::exportMapping()
{
    takeEntryBeingTyped();
    const Ptr keepAlive (this);
    const auto file = askForFileToWrite ("Select filename to export", mappingPatterns, ".csv");

    if (! file.has_value())
        return false;

    const auto block = preset->getData();
    const auto text = file->hasFileExtension (".html;.htm")
                          ? MappingFormats::toHtml (block, displayName, getPanelPicture())
                          : MappingFormats::toCsv (block);
    return writeExport (*file, juce::MemoryBlock (text.toRawUTF8(), text.getNumBytesAsUTF8()));
}

juce::MemoryBlock MainWindow::getPanelPicture()
{
    juce::MemoryBlock png;

    if (auto* content = getContentComponent())
    {
        juce::MemoryOutputStream stream (png, false);
        juce::PNGImageFormat().writeImageToStream (
            content->createComponentSnapshot (content->getLocalBounds()), stream);
    }

    return png;
}

void MainWindow::openFile (const juce::File& file)
{
    takeEntryBeingTyped();
    const auto factory = owner.createDefaultPreset();

    if (factory->getData() != preset->getData() && ! askToSave())
        return;

    // The file's result box follows from the application; a failed load changed nothing, and the
    // window stays bound to what it holds. A block that loads is no step: the history starts again.
    {
        const juce::ScopedValueSetter<bool> loading (quiet, true);

        if (engine->openPresetFile (file, preset) != OrvikEditorEngine::OpenResult::loaded)
            return;
    }

    filePath = file.getFullPathName();
    displayName = file.getFileName();
    setTitleName (displayName);
    recovered = false;
    history->reset();
    owner.rememberRecentFile (file);
}

void MainWindow::forgetFile()
{
    filePath = {};
}

ByteArray MainWindow::getFileImage() const
{
    return SysExProtocol::createFileImage (engine->getProductId(), *preset);
}

bool MainWindow::hasUnsavedEdits() const
{
    return recovered || history->hasUnsavedEdits();
}

void MainWindow::markAsEdited()
{
    recovered = true;
    historyChanged();
}

void MainWindow::saved (const juce::File& file)
{
    recovered = false;
    history->markSaved();
    owner.rememberRecentFile (file);
}

void MainWindow::historyChanged()
{
    if (quiet)
        return;

    const auto edited = hasUnsavedEdits();

    if (edited || std::exchange (toldEdited, false))
        callListeners (listeners, [this] (Listener& l) { l.presetEditsChanged (*this); });

    toldEdited = edited;

    if (auto* commands = owner.getCommandManager())
        commands->commandStatusChanged();
}

//==============================================================================
void MainWindow::setEveryChannel()
{
    takeEntryBeingTyped();
    const auto entry = owner.getDesktopServices().askForEntry (
        setEveryChannelStep, "The MIDI channel, 1 to 16, for all 57 controls:", "0123456789");

    if (! entry.has_value())
        return;

    const auto channel = entry->length() <= 8 ? entry->getLargeIntValue() : 0;

    if (! entry->containsOnly ("0123456789") || channel < 1 || channel > 16)
    {
        owner.getDesktopServices().showWarning (
            owner.getApplicationDisplayName(),
            (entry->isEmpty() ? juce::String ("No channel was entered.")
                              : entry->quoted() + " is not a MIDI channel.")
                + " Enter a number from 1 to 16; no channel was changed.");
        return;
    }

    auto block = preset->getData();

    for (auto& control : KARVELOControlMap::getControls())
        block.set (control.channelOffset, static_cast<juce::uint8> (channel - 1));

    history->perform (setEveryChannelStep, block);
}

std::optional<int> MainWindow::getFocusedStrip() const
{
    auto* focused = juce::Component::getCurrentlyFocusedComponent();

    if (focused == nullptr || ! isParentOf (focused))
        return std::nullopt;

    const auto& karvelo = dynamic_cast<const KARVELOEditorPreset&> (*preset);

    for (auto* component = focused; component != this; component = component->getParentComponent())
    {
        const MEditorControl* control = nullptr;

        if (auto* knobView = dynamic_cast<KARVELOKnobView*> (component))
            control = knobView->getControl().get();
        else if (auto* switchView = dynamic_cast<KARVELOSwitchView*> (component))
            control = switchView->getControl().get();
        else
            continue;

        for (auto& entry : KARVELOControlMap::getControls())
        {
            const MEditorControl* candidate =
                entry.kind == KARVELOControlMap::Kind::knob ? karvelo.getKnob (entry.index).get()
                : entry.kind == KARVELOControlMap::Kind::fader
                    ? static_cast<const MEditorControl*> (karvelo.getFader (entry.index).get())
                    : karvelo.getSwitch (entry.index).get();

            if (candidate == control)
                return entry.isMaster() ? std::nullopt : std::optional<int> (entry.strip);
        }

        return std::nullopt;
    }

    return std::nullopt;
}

void MainWindow::copyStrip()
{
    const auto strip = getFocusedStrip();

    if (! strip.has_value())
        return;

    takeEntryBeingTyped();
    const auto block = preset->getData();
    auto& clipboard = owner.getStripClipboard();
    clipboard.clearQuick();

    for (auto& control : KARVELOControlMap::getControls())
        if (control.strip == *strip)
            clipboard.add (KARVELOControlMap::messageOf (control, block));

    // Paste Strip is now possible in every window.
    if (auto* commands = owner.getCommandManager())
        commands->commandStatusChanged();
}

void MainWindow::pasteStrip()
{
    const auto strip = getFocusedStrip();
    const auto& clipboard = owner.getStripClipboard();

    if (! strip.has_value() || clipboard.isEmpty())
        return;

    takeEntryBeingTyped();
    auto block = preset->getData();
    int next = 0;

    // Every strip holds the same seven controls in the same order.
    for (auto& control : KARVELOControlMap::getControls())
    {
        if (control.strip != *strip)
            continue;

        const auto& message = clipboard.getReference (next++);
        block.set (control.channelOffset, static_cast<juce::uint8> (message.channel));
        block.set (control.numberOffset, static_cast<juce::uint8> (message.number));

        if (control.typeOffset >= 0)
            block.set (control.typeOffset,
                       static_cast<juce::uint8> (message.isNote ? KARVELOSwitch::typeNote
                                                                : KARVELOSwitch::typeControlChange));
    }

    history->perform (pasteStripStep, block);
}

void MainWindow::sendToHardware()
{
    takeEntryBeingTyped();
    engine->sendPreset (SysExProtocol::noSlot, preset);
}

void MainWindow::loadFromHardware()
{
    engine->requestPreset (SysExProtocol::noSlot, preset);
}
