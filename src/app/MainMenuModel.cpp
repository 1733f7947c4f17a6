#include "MainMenuModel.h"

#include "CommandIDs.h"

MainMenuModel::MainMenuModel (juce::ApplicationCommandManager& commands, UserSettings& userSettings,
                              std::function<void (const juce::File&)> openRecent)
    : commandManager (commands)
    , settings (userSettings)
    , openRecentFile (std::move (openRecent))
{
    setApplicationCommandManagerToWatch (&commandManager);
}

MainMenuModel::~MainMenuModel()
{
    setApplicationCommandManagerToWatch (nullptr);
}

juce::StringArray MainMenuModel::getMenuBarNames()
{
    return { "File", "Edit", "View", "Window", "Help" };
}

juce::PopupMenu MainMenuModel::getMenuForIndex (int, const juce::String& menuName)
{
    juce::PopupMenu menu;
    const auto add = [&] (int commandID) { menu.addCommandItem (&commandManager, commandID); };

    if (menuName == "File")
    {
        add (CommandIDs::newDocument);
        add (CommandIDs::openPreset);

        juce::PopupMenu recent;
        const auto files = settings.getRecentFiles();

        for (int i = 0; i < files.size(); ++i)
            recent.addItem (firstRecentFileItem + i, files[i].getFullPathName());

        recent.addSeparator();
        recent.addItem (clearRecentFilesItem, "Clear List", ! files.isEmpty());
        menu.addSubMenu ("Open Recent", recent);
        add (CommandIDs::importSysEx);
        menu.addSeparator();
        add (CommandIDs::closeWindow);
        menu.addSeparator();
        add (CommandIDs::save);
        add (CommandIDs::saveAs);
        add (CommandIDs::exportSysEx);
        add (CommandIDs::exportMapping);
        menu.addSeparator();
        add (CommandIDs::loadFromHardware);
        add (CommandIDs::sendToHardware);
        menu.addSeparator();
        add (CommandIDs::midiSetup);

        // Without an application menu, File is where Quit is looked for.
        if (menusLiveInWindows())
        {
            menu.addSeparator();
            add (CommandIDs::quit);
        }
    }
    else if (menuName == "Edit")
    {
        add (CommandIDs::undo);
        add (CommandIDs::redo);
        menu.addSeparator();
        add (CommandIDs::copyStrip);
        add (CommandIDs::pasteStrip);
        menu.addSeparator();
        add (CommandIDs::setEveryChannel);
    }
    else if (menuName == "View")
    {
        juce::PopupMenu zoom;

        for (int i = 0; i < (int) UserSettings::zoomPercents.size(); ++i)
            zoom.addCommandItem (&commandManager, CommandIDs::zoom75 + i);

        menu.addSubMenu ("Zoom", zoom);
        add (CommandIDs::zoomIn);
        add (CommandIDs::zoomOut);
    }
    else if (menuName == "Window")
    {
        add (CommandIDs::minimizeWindow);
        add (CommandIDs::bringAllToFront);
        menu.addSeparator();
        add (CommandIDs::midiMonitor);
    }
    else if (menuName == "Help")
    {
        add (CommandIDs::openUserGuide);

        if (menusLiveInWindows())
            add (CommandIDs::about);
    }

    return menu;
}

void MainMenuModel::menuItemSelected (int menuItemID, int)
{
    // Command items come here too, after the command manager has carried them out.
    if (menuItemID == clearRecentFilesItem)
    {
        settings.clearRecentFiles();
        menuItemsChanged();
        return;
    }

    const auto files = settings.getRecentFiles();
    const auto index = menuItemID - firstRecentFileItem;

    if (juce::isPositiveAndBelow (index, files.size()) && openRecentFile != nullptr)
        openRecentFile (files[index]);
}
