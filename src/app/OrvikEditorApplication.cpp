#include "OrvikEditorApplication.h"

#include "CommandIDs.h"
#include "CommandLine.h"
#include "X11Connection.h"
#include "engine/PresetFile.h"
#include "engine/PresetFormats.h"
#include "ui/Fonts.h"
#include "ui/Pictures.h"
#include "ui/ProductInfo.h"
#include "ui/ReferenceCountedImageButton.h"

OrvikEditorApplication::OrvikEditorApplication (DeviceLayerFactory deviceLayerFactory,
                                                std::unique_ptr<DesktopServices> desktopServices,
                                                RecoverySettings recoveryToKeep, bool isTheWholeProcess)
    : createDeviceLayer (std::move (deviceLayerFactory))
    , desktop (std::move (desktopServices))
    , recoverySettings (std::move (recoveryToKeep))
    , isTheProcess (isTheWholeProcess)
{
}

OrvikEditorApplication::~OrvikEditorApplication() = default;

const juce::String OrvikEditorApplication::getApplicationName()
{
    return ProductInfo::name;
}

const juce::String OrvikEditorApplication::getApplicationVersion()
{
    return ProductInfo::version;
}

bool OrvikEditorApplication::moreThanOneInstanceAllowed()
{
    return true;
}

juce::String OrvikEditorApplication::getApplicationDisplayName() const
{
    return ProductInfo::name;
}

DesktopServices& OrvikEditorApplication::getDesktopServices()
{
    return *desktop;
}

juce::String OrvikEditorApplication::getMidiInputDeviceName()
{
    return "Karvelo";
}

juce::String OrvikEditorApplication::getMidiOutputDeviceName()
{
    return "Karvelo";
}

//==============================================================================
juce::String OrvikEditorApplication::getRecoveryQuestion (int numPresets)
{
    const auto one = numPresets == 1;
    return juce::String (ProductInfo::name) + " ended without saving the edits of "
           + juce::String (numPresets)
           + (one ? " preset. Reopen it" : " presets. Reopen them, each in a window of its own,")
           + " or discard " + (one ? "it" : "them") + "? Later keeps " + (one ? "it" : "them")
           + " for the next start.";
}

void OrvikEditorApplication::initialise (const juce::String&)
{
    startWithArguments (isTheProcess ? getCommandLineParameterArray() : juce::StringArray());
}

void OrvikEditorApplication::startWithArguments (const juce::StringArray& arguments)
{
    Pictures::startDecoding();
    Fonts::useEmbeddedTypeface();

    midiManager = new MidiManager (createDeviceLayer());
    midiTraffic = new MidiTraffic (midiManager);
    windowManager = new WindowManager();

    commandManager = std::make_unique<juce::ApplicationCommandManager>();
    commandManager->registerAllCommandsForTarget (this);

    juce::LookAndFeel::getDefaultLookAndFeel().setUsingNativeAlertWindows (true);

    settings = std::make_unique<UserSettings>();
    scaleFoundAtStart = juce::Desktop::getInstance().getGlobalScaleFactor();
    applyZoom();
    menuModel = std::make_unique<MainMenuModel> (*commandManager, *settings,
                                                 [this] (const juce::File& file) { openRecentFile (file); });

#if JUCE_MAC
    extraApplicationMenuItems.addCommandItem (commandManager.get(), CommandIDs::about);
    juce::MenuBarModel::setMacMainMenu (menuModel.get(), &extraApplicationMenuItems, {});
#endif

    midiManager->openMidiInput (getMidiInputDeviceName());
    midiManager->openMidiOutput (getMidiOutputDeviceName());

    if (recoverySettings.folder != juce::File())
    {
        recovery = std::make_unique<RecoveryFolder> (recoverySettings.folder,
                                                     recoverySettings.writeDelayMilliseconds);

        if (isTheProcess)
            RecoveryFolder::writeEverythingOnTerminationSignals();
    }

    for (const auto& file : CommandLine::getPresetFiles (arguments))
        openPresetFileInNewWindow (file);

    offerLeftoverPresets();

    if (windowManager->getNumWindows() == 0)
    {
        createEngine();
        newDocument();
    }

    // JUCE's window system is up now, with its own handler in place to be replaced.
    if (isTheProcess && recovery != nullptr)
        X11Connection::whenConnectionIsLost (&RecoveryFolder::writeEverythingNow);
}

void OrvikEditorApplication::offerLeftoverPresets()
{
    if (recovery == nullptr)
        return;

    createEngine();
    juce::Array<juce::File> readable;
    juce::Array<EditorPreset::Ptr> presets;

    // A file that is not a preset (say, from a later version of the editor) is neither offered nor
    // deleted.
    for (const auto& file : recovery->claimLeftovers())
    {
        auto preset = createDefaultPreset();

        if (PresetFile::read (file, *preset) == PresetFile::ReadResult::loaded)
        {
            readable.add (file);
            presets.add (preset);
        }
    }

    if (readable.isEmpty())
    {
        recovery->releaseLeftovers ({});
        return;
    }

    const auto answer = desktop->askQuestion (recoveryTitle, getRecoveryQuestion (readable.size()), "Reopen",
                                              "Discard", "Later");

    if (answer == DesktopServices::Answer::yes)
    {
        for (const auto& preset : presets)
            openWindowForPreset (preset)->markAsEdited();

        // Each preset is on disk again, under this editor's name, before the old file goes.
        recovery->writePendingFiles();
    }

    recovery->releaseLeftovers (answer == DesktopServices::Answer::cancel ? juce::Array<juce::File>()
                                                                          : readable);
}

void OrvikEditorApplication::shutdown()
{
#if JUCE_MAC
    juce::MenuBarModel::setMacMainMenu (nullptr);
#endif

    // Windows still open now were not asked about: their unsaved edits stay for the next start.
    recovery = nullptr;
    midiMonitorWindow = nullptr;
    windowManager = nullptr;
    menuModel = nullptr;
    commandManager = nullptr;
    settings = nullptr;
    juce::Desktop::getInstance().setGlobalScaleFactor (scaleFoundAtStart);
}

void OrvikEditorApplication::anotherInstanceStarted (const juce::String& commandLine)
{
    const auto file = CommandLine::toFile (commandLine.unquoted());

    if (windowManager->getNumWindows() > 0)
    {
        // A file handed over while no window is active gets a window of its own rather than
        // being dropped.
        if (auto active = windowManager->getActiveWindow())
        {
            active->openFile (file);
            return;
        }
    }

    openPresetFileInNewWindow (file);
}

void OrvikEditorApplication::systemRequestedQuit()
{
    quitAfterAskingEachWindow();
}

void OrvikEditorApplication::quitAfterAskingEachWindow()
{
    // The windows are taken from the manager one at a time rather than from a list made up front:
    // while a native save dialog is up, the user may close or open other windows.
    while (windowManager->getNumWindows() > 0)
    {
        const MainWindow::Ptr window = windowManager->getWindows().getFirst();
        window->toFront (true);

        if (! window->askToSave())
            return;

        removeWindow (*window);
    }

    desktop->quit();
}

void OrvikEditorApplication::removeWindow (MainWindow& window)
{
    if (recovery != nullptr)
        recovery->removeWindow (window);

    windowManager->removeWindow (&window);
    commandManager->commandStatusChanged();
}

//==============================================================================
MainWindow::Ptr OrvikEditorApplication::createMainWindow (std::unique_ptr<juce::Component> content,
                                                          EditorPreset::Ptr preset, const juce::String& name)
{
    const auto windowName =
        name.isNotEmpty() ? name : "Untitled " + juce::String (windowManager->getNumWindowsCreated() + 1);

    MainWindow::Ptr window (new MainWindow (std::move (content), preset, getEngine(), windowName, *this,
                                            MainMenuModel::menusLiveInWindows() ? menuModel.get() : nullptr));

    commandManager->registerAllCommandsForTarget (window.get());
    window->addKeyListener (commandManager->getKeyMappings());
    windowManager->addWindow (window);
    commandManager->commandStatusChanged();

    if (recovery != nullptr)
        recovery->addWindow (*window);

    return window;
}

void OrvikEditorApplication::closeWindow (MainWindow& window)
{
    const MainWindow::Ptr closing (&window);

    if (! window.askToSave())
        return;

    removeWindow (window);

    // With the menus inside the windows, the last window closed is the end of the program: nothing
    // would be left to choose New or Open Preset from.
    if (MainMenuModel::menusLiveInWindows() && windowManager->getNumWindows() == 0)
        quitAfterAskingEachWindow();
}

void OrvikEditorApplication::openPresetWithDialog()
{
    if (const auto file = desktop->browseForFileToOpen ("Select Filename to open", MainWindow::filePatterns))
        openPresetFileInNewWindow (*file);
}

void OrvikEditorApplication::importSysExWithDialog()
{
    if (const auto file =
            desktop->browseForFileToOpen ("Select SysEx file to import", MainWindow::sysExPatterns))
        importSysEx (*file);
}

MainWindow::Ptr OrvikEditorApplication::importSysEx (const juce::File& file)
{
    const auto decoded = PresetFormats::readFile (file, PresetFormats::Format::sysEx);

    if (! decoded.ok())
    {
        desktop->showWarning (messageTitle,
                              "Cannot import " + file.getFileName().quoted() + ": " + decoded.error + ".");
        return nullptr;
    }

    createEngine();
    auto preset = createDefaultPreset();

    // A decoded block is always one the preset takes.
    preset->setData (decoded.block);
    auto window = openWindowForPreset (preset);
    window->markAsEdited();
    return window;
}

juce::String OrvikEditorApplication::getMissingRecentFileMessage (const juce::File& file)
{
    return "The file " + file.getFullPathName().quoted()
           + " no longer exists. It has been removed from the recent files.";
}

void OrvikEditorApplication::openRecentFile (const juce::File& file)
{
    if (file.existsAsFile())
    {
        openPresetFileInNewWindow (file);
        return;
    }

    settings->removeRecentFile (file);
    menuModel->menuItemsChanged();
    desktop->showWarning (messageTitle, getMissingRecentFileMessage (file));
}

void OrvikEditorApplication::rememberRecentFile (const juce::File& file)
{
    if (settings == nullptr)
        return;

    settings->addRecentFile (file);
    menuModel->menuItemsChanged();
}

//==============================================================================
void OrvikEditorApplication::setZoom (int percent)
{
    settings->setZoomPercent (percent);
    applyZoom();
    commandManager->commandStatusChanged();
}

void OrvikEditorApplication::applyZoom()
{
    // The zoom is the desktop's scale, so that menus, tooltips, dialogs and message boxes grow and
    // shrink with the windows: a screen too small for the panel is too small for MIDI Setup as well.
    auto& screens = juce::Desktop::getInstance();
    const auto oldScale = screens.getGlobalScaleFactor();
    const auto newScale = scaleFoundAtStart * (float) settings->getZoomPercent() / 100.0f;

    if (juce::approximatelyEqual (oldScale, newScale))
        return;

    // JUCE keeps each window's size on the screen through a change of scale, shrinking or growing
    // the layout inside; each keeps its layout's size instead, and its corner where it is on the
    // screen.
    std::vector<std::pair<juce::Component::SafePointer<juce::Component>, juce::Rectangle<int>>> windows;

    for (int i = 0; i < screens.getNumComponents(); ++i)
        windows.emplace_back (screens.getComponent (i), screens.getComponent (i)->getBounds());

    screens.setGlobalScaleFactor (newScale);

    for (auto& [window, bounds] : windows)
        if (window != nullptr)
            window->setBounds (
                bounds.withPosition ((bounds.getPosition().toFloat() * oldScale / newScale).roundToInt()));
}

//==============================================================================
void OrvikEditorApplication::showMidiSetupWindow()
{
    if (midiSetupWindow == nullptr)
    {
        auto ok = createOKButton();
        auto cancel = createCancelButton();
        auto apply = createApplyButton();

        MidiSetupComponent::Ptr panel (new MidiSetupComponent (ok, cancel, apply));
        panel->refreshDeviceLists (*midiManager);

        midiSetupWindow = new MidiSetupWindow (panel, midiManager, *this);

        for (auto* button : { ok.get(), cancel.get(), apply.get() })
            button->addListener (midiSetupWindow.get());

        midiSetupWindow->centreWithSize (midiSetupWindow->getWidth(), midiSetupWindow->getHeight());
    }

    if (! midiSetupWindow->isOnDesktop())
        midiSetupWindow->addToDesktop();

    midiSetupWindow->setVisible (true);
    midiSetupWindow->toFront (true);
}

void OrvikEditorApplication::showMidiMonitorWindow()
{
    if (midiMonitorWindow == nullptr)
    {
        // Incoming messages are matched against the preset of the window in front, or of the newest
        // window while the monitor itself is in front.
        midiMonitorWindow = new MidiMonitorWindow (midiTraffic,
                                                   [this]() -> std::optional<ByteArray>
                                                   {
                                                       auto window = windowManager->getActiveWindow();

                                                       if (window == nullptr)
                                                           window = windowManager->getWindows().getLast();

                                                       if (window == nullptr)
                                                           return std::nullopt;

                                                       return window->getPreset()->getData();
                                                   });
        midiMonitorWindow->centreWithSize (midiMonitorWindow->getWidth(), midiMonitorWindow->getHeight());
    }

    midiMonitorWindow->setVisible (true);
    midiMonitorWindow->toFront (true);
}

void OrvikEditorApplication::closeMidiSetupWindow()
{
    midiSetupWindow = nullptr;
}

void OrvikEditorApplication::showAboutWindow()
{
    if (aboutWindow == nullptr)
        aboutWindow = new AboutWindow (createAboutImage());

    if (! aboutWindow->isOnDesktop())
        aboutWindow->addToDesktop();

    aboutWindow->setVisible (true);
    aboutWindow->toFront (true);
}

void OrvikEditorApplication::showMessage (const juce::String& text)
{
    desktop->showWarning (getApplicationName(), text);
}

juce::Array<juce::File> OrvikEditorApplication::getUserGuideLocations() const
{
    const auto application = juce::File::getSpecialLocation (juce::File::currentApplicationFile);

#if JUCE_MAC
    return {
        juce::File (application.getFullPathName() + "/Contents/Resources/").getChildFile (userGuideFileName)
    };
#else
    // Installed: <prefix>/bin/<program> with the guide in <prefix>/share/doc/karvelo-editor, or in
    // <prefix>/share/karvelo-editor where a system leaves documentation out. A build tree that is
    // not installed keeps the guide beside the executable.
    const auto folder = application.getParentDirectory();
    const auto share = folder.getSiblingFile ("share");
    return { share.getChildFile ("doc/karvelo-editor").getChildFile (userGuideFileName),
             share.getChildFile ("karvelo-editor").getChildFile (userGuideFileName),
             folder.getChildFile (userGuideFileName) };
#endif
}

void OrvikEditorApplication::openUserGuide()
{
    juce::StringArray tried;

    for (auto& location : getUserGuideLocations())
    {
        if (location.existsAsFile())
        {
            desktop->openDocument (location);
            return;
        }

        tried.add (location.getFullPathName());
    }

    desktop->showNativeMessage (getApplicationName(),
                                "Unable to find user guide.\n" + tried.joinIntoString ("\n"));
}

//==============================================================================
void OrvikEditorApplication::sendPresetResult (EditorPreset::Ptr, int result)
{
    reportTransferResult (result == OrvikEditorEngine::SendResult::noOutput,
                          result == OrvikEditorEngine::SendResult::noAcknowledgement);
}

void OrvikEditorApplication::requestPresetResult (int result)
{
    reportTransferResult (result == OrvikEditorEngine::RequestResult::noInput,
                          result == OrvikEditorEngine::RequestResult::noReply);
}

void OrvikEditorApplication::reportTransferResult (bool noDevice, bool noAnswer)
{
    if (noDevice)
    {
        showMidiSetupWindow();
        showMessage (noDeviceMessage);
    }
    else if (noAnswer)
    {
        showMessage (noAcknowledgementMessage);
    }
}

void OrvikEditorApplication::openPresetFileResult (int result)
{
    if (result == OrvikEditorEngine::OpenResult::rejected || result == OrvikEditorEngine::OpenResult::missing)
        showMessage (openErrorMessage);
}

void OrvikEditorApplication::savePresetFileResult (int result)
{
    if (result == OrvikEditorEngine::SaveResult::failed)
        showMessage (saveErrorMessage);
}

//==============================================================================
void OrvikEditorApplication::getAllCommands (juce::Array<juce::CommandID>& commands)
{
    commands.addArray ({ CommandIDs::newDocument, CommandIDs::openPreset, CommandIDs::importSysEx,
                         CommandIDs::about, CommandIDs::bringAllToFront, CommandIDs::midiMonitor,
                         CommandIDs::openUserGuide, CommandIDs::midiSetup, CommandIDs::quit,
                         CommandIDs::zoomIn, CommandIDs::zoomOut });

    for (int i = 0; i < (int) UserSettings::zoomPercents.size(); ++i)
        commands.add (CommandIDs::zoom75 + i);
}

void OrvikEditorApplication::getCommandInfo (juce::CommandID commandID, juce::ApplicationCommandInfo& result)
{
    const auto command = juce::ModifierKeys::commandModifier;
    const auto zoom = settings != nullptr ? settings->getZoomPercent() : 100; // no settings while registering

    switch (commandID)
    {
        case CommandIDs::newDocument:
            result.setInfo ("New", {}, CommandIDs::category, 0);
            result.addDefaultKeypress ('n', command);
            break;

        case CommandIDs::openPreset:
            result.setInfo ("Open Preset", {}, CommandIDs::category, 0);
            result.addDefaultKeypress ('o', command);
            break;

        case CommandIDs::importSysEx:
            result.setInfo ("Import SysEx...", {}, CommandIDs::category, 0);
            break;

        case CommandIDs::midiSetup:
            result.setInfo ("MIDI Setup", {}, CommandIDs::category, 0);
            break;

        case CommandIDs::quit:
            result.setInfo ("Quit", {}, CommandIDs::category, 0);
            result.addDefaultKeypress ('q', command);
            break;

        case CommandIDs::bringAllToFront:
            result.setInfo ("Bring All To Front", {}, CommandIDs::category, 0);
            result.setActive (windowManager != nullptr && windowManager->getNumWindows() > 0);
            break;

        case CommandIDs::openUserGuide:
            result.setInfo ("Open User Guide", {}, CommandIDs::category, 0);
            break;
        case CommandIDs::midiMonitor:
            result.setInfo ("MIDI Monitor", {}, CommandIDs::category, 0);
            break;
        case CommandIDs::about:
            result.setInfo ("About", {}, CommandIDs::category, 0);
            break;

        case CommandIDs::zoomIn:
            // The + key is shifted on some keyboards and not on others.
            result.setInfo ("Zoom In", {}, CommandIDs::category, 0);
            result.addDefaultKeypress ('+', command);
            result.addDefaultKeypress ('+', command | juce::ModifierKeys::shiftModifier);
            result.addDefaultKeypress ('=', command);
            result.addDefaultKeypress (juce::KeyPress::numberPadAdd, command);
            result.setActive (zoom < UserSettings::zoomPercents.back());
            break;

        case CommandIDs::zoomOut:
            result.setInfo ("Zoom Out", {}, CommandIDs::category, 0);
            result.addDefaultKeypress ('-', command);
            result.addDefaultKeypress (juce::KeyPress::numberPadSubtract, command);
            result.setActive (zoom > UserSettings::zoomPercents.front());
            break;

        default:
            if (const auto level = commandID - CommandIDs::zoom75;
                juce::isPositiveAndBelow (level, (int) UserSettings::zoomPercents.size()))
            {
                const auto percent = UserSettings::zoomPercents[(size_t) level];
                result.setInfo (juce::String (percent) + " %", {}, CommandIDs::category, 0);
                result.setTicked (percent == zoom);

                if (percent == 100)
                    result.addDefaultKeypress ('0', command);
            }
            break;
    }
}

bool OrvikEditorApplication::perform (const InvocationInfo& info)
{
    switch (info.commandID)
    {
        case CommandIDs::newDocument:
            newDocument();
            break;
        case CommandIDs::openPreset:
            openPresetWithDialog();
            break;
        case CommandIDs::importSysEx:
            importSysExWithDialog();
            break;
        case CommandIDs::midiSetup:
            showMidiSetupWindow();
            break;
        case CommandIDs::quit:
            systemRequestedQuit();
            break;
        case CommandIDs::bringAllToFront:
            windowManager->bringAllToFront();
            break;
        case CommandIDs::openUserGuide:
            openUserGuide();
            break;
        case CommandIDs::midiMonitor:
            showMidiMonitorWindow();
            break;
        case CommandIDs::about:
            showAboutWindow();
            break;

        case CommandIDs::zoomIn:
        case CommandIDs::zoomOut:
        {
            const auto& levels = UserSettings::zoomPercents;
            const auto current =
                std::find (levels.begin(), levels.end(), settings->getZoomPercent()) - levels.begin();
            const auto next = (int) current + (info.commandID == CommandIDs::zoomIn ? 1 : -1);

            if (juce::isPositiveAndBelow (next, (int) levels.size()))
                setZoom (levels[(size_t) next]);
            break;
        }

        default:
            if (const auto level = info.commandID - CommandIDs::zoom75;
                juce::isPositiveAndBelow (level, (int) UserSettings::zoomPercents.size()))
                setZoom (UserSettings::zoomPercents[(size_t) level]);
            break;
    }

    return true;
}
