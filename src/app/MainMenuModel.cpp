#include "MainMenuModel.h"

#include "CommandIDs.h"

MainMenuModel::MainMenuModel (juce::ApplicationCommandManager& commands)
    : commandManager (commands)
{
    setApplicationCommandManagerToWatch (&commandManager);
}

MainMenuModel::~MainMenuModel()
{
    setApplicationCommandManagerToWatch (nullptr);
}

juce::StringArray MainMenuModel::getMenuBarNames()
{
    return { "File", "Window", "Help" };
}

juce::PopupMenu MainMenuModel::getMenuForIndex (int, const juce::String& menuName)
{
    juce::PopupMenu menu;
    const auto add = [&] (int commandID) { menu.addCommandItem (&commandManager, commandID); };

    if (menuName == "File")
    {
        add (CommandIDs::newDocument);
        add (CommandIDs::openPreset);
        menu.addSeparator();
        add (CommandIDs::closeWindow);
        menu.addSeparator();
        add (CommandIDs::save);
        add (CommandIDs::saveAs);
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

void MainMenuModel::menuItemSelected (int, int) {}
