#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The menu bar: File, Window and Help, built from command items only, so every item shows its
    command's name, key and enabled state at the moment the menu opens. Where menus live inside the
    windows (Linux, Windows) there is no application menu: Help then also holds About, and File ends
    with Quit. */
class MainMenuModel : public juce::MenuBarModel
{
public:
    explicit MainMenuModel (juce::ApplicationCommandManager& commandManager);
    ~MainMenuModel() override;

    juce::StringArray getMenuBarNames() override;
    juce::PopupMenu getMenuForIndex (int topLevelMenuIndex, const juce::String& menuName) override;
    void menuItemSelected (int menuItemID, int topLevelMenuIndex) override;

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

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainMenuModel)
};
