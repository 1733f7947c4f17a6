#pragma once

#include "UserSettings.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

/** The menu bar: File, Edit, View, Window and Help, built from command items, so every item shows its
    command's name, key and enabled state at the moment the menu opens. Where menus live inside the
    windows (Linux, Windows) there is no application menu: Help then also holds About, and File ends
    with Quit.

    File > Open Recent is the one submenu that is not made of commands: the recent preset files,
    newest first, then Clear List. Choosing a file hands it to the application.
*/
class MainMenuModel : public juce::MenuBarModel
{
public:
    MainMenuModel (juce::ApplicationCommandManager& commandManager, UserSettings& settings,
                   std::function<void (const juce::File&)> openRecentFile);
    ~MainMenuModel() override;

    juce::StringArray getMenuBarNames() override;
    juce::PopupMenu getMenuForIndex (int topLevelMenuIndex, const juce::String& menuName) override;
    void menuItemSelected (int menuItemID, int topLevelMenuIndex) override;

    /** The item ids of Open Recent: the files from firstRecentFileItem on, in the list's order. */
    static constexpr int clearRecentFilesItem = 100;
    static constexpr int firstRecentFileItem = 101;

    /** Whether the menu bar belongs to each window rather than to the desktop. */
    static constexpr bool menusLiveInWindows()
    {
#if JUCE_MAC
        return false;
#else
        return true;
#endif
    }

private:
    juce::ApplicationCommandManager& commandManager;
    UserSettings& settings;
    std::function<void (const juce::File&)> openRecentFile;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainMenuModel)
};
