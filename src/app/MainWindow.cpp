#include "MainWindow.h"

#include "CommandIDs.h"
#include "engine/SysExProtocol.h"
#include "ui/NumberBoxComponent.h"

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

    // Filled before any listener is added: a listener is registered with the value's own address.
    const auto values = owner.getParameterValues (*preset);
    watchedValues.reserve (static_cast<size_t> (values.size()));

    for (const auto& value : values)
        watchedValues.emplace_back (value);

    for (auto& value : watchedValues)
        value.addListener (this);

    uneditedBlock = preset->getData();

    if (windowMenuBar != nullptr)
        setMenuBar (windowMenuBar);

    const auto width = content->getWidth(), height = content->getHeight();
    setContentOwned (content.release(), true);
    setContentComponentSize (width, height);
    setResizable (false, false);
}

MainWindow::~MainWindow()
{
    cancelPendingUpdate();

    for (auto& value : watchedValues)
        value.removeListener (this);

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

void MainWindow::getAllCommands (juce::Array<juce::CommandID>& commands)
{
    commands.addArray ({ CommandIDs::loadFromHardware, CommandIDs::closeWindow, CommandIDs::save,
                         CommandIDs::saveAs, CommandIDs::minimizeWindow, CommandIDs::sendToHardware });
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
        case CommandIDs::loadFromHardware:
            loadFromHardware();
            return true;
        case CommandIDs::sendToHardware:
            sendToHardware();
            return true;
        case CommandIDs::minimizeWindow:
            setMinimised (true);
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
            markUnedited();

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
    auto& desktop = owner.getDesktopServices();
    const auto chosen = desktop.browseForFileToSave ("Select filename to save", filePatterns);

    if (! chosen.has_value())
        return false;

    // Without an extension the file would not show in Open Preset's list. The dialog warned only
    // about the name as typed, so the name completed here is asked about itself.
    auto file = *chosen;

    if (file.getFileExtension().isEmpty())
    {
        file = file.withFileExtension (fileExtension);

        if (file.exists()
            && desktop.askQuestion ("Select filename to save",
                                    file.getFileName().quoted() + " already exists. Replace it?", "Replace",
                                    {}, "Cancel")
                   != DesktopServices::Answer::yes)
            return false;
    }

    const auto written = engine->savePresetFile (file, preset);

    // The window takes the chosen file's names even when the write failed ("Error Saving File."
    // follows), so that Save goes on trying the file the user chose.
    filePath = file.getFullPathName();
    displayName = file.getFileName();
    setTitleName (file.getFileNameWithoutExtension());

    if (written)
        markUnedited();

    return written;
}

void MainWindow::openFile (const juce::File& file)
{
    takeEntryBeingTyped();
    const auto factory = owner.createDefaultPreset();

    if (factory->getData() != preset->getData() && ! askToSave())
        return;

    // The file's result box follows from the application; a failed load changed nothing, and the
    // window stays bound to what it holds.
    if (engine->openPresetFile (file, preset) != OrvikEditorEngine::OpenResult::loaded)
        return;

    filePath = file.getFullPathName();
    displayName = file.getFileName();
    setTitleName (displayName);
    markUnedited();
}

void MainWindow::forgetFile()
{
    filePath = {};
}

ByteArray MainWindow::getFileImage() const
{
    return SysExProtocol::createFileImage (engine->getProductId(), *preset);
}

void MainWindow::markAsEdited()
{
    edited = true;
    listeners.callNewestFirst ([this] (Listener& l) { l.presetEditsChanged (*this); });
}

void MainWindow::markUnedited()
{
    uneditedBlock = preset->getData();

    if (std::exchange (edited, false))
        listeners.callNewestFirst ([this] (Listener& l) { l.presetEditsChanged (*this); });
}

void MainWindow::valueChanged (juce::Value&)
{
    // A whole block stored at once changes every value: one look at the preset is enough.
    triggerAsyncUpdate();
}

void MainWindow::handleAsyncUpdate()
{
    // Notices of a load or a save arrive after it, when the preset holds the block it left.
    if (! edited && preset->getData() == uneditedBlock)
        return;

    edited = true;
    listeners.callNewestFirst ([this] (Listener& l) { l.presetEditsChanged (*this); });
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
