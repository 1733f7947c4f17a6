#pragma once

#include <juce_data_structures/juce_data_structures.h>

#include <array>

/** What the editor remembers between runs: the preset files opened or saved lately, and the zoom.

    Kept with juce::ApplicationProperties in karvelo-editor/karvelo-editor.settings under the XDG
    config home ($XDG_CONFIG_HOME, or ~/.config). A settings file that cannot be read as settings
    (damaged, not a file, unreadable) is ignored, and replaced at the next change where it can be.
    Message thread only.
*/
class UserSettings
{
public:
    UserSettings();
    ~UserSettings();

    /** How many recent files are remembered. */
    static constexpr int maximumRecentFiles = 10;

    /** The folder the settings live in. */
    static juce::File getFolder();

    /** The recent files, newest first. */
    juce::Array<juce::File> getRecentFiles() const;

    /** Puts the file at the top of the recent files. */
    void addRecentFile (const juce::File& file);
    void removeRecentFile (const juce::File& file);
    void clearRecentFiles();

    /** The zooms the windows can have, in percent, smallest first. */
    static constexpr std::array<int, 5> zoomPercents{ 75, 100, 125, 150, 200 };

    /** The zoom of the windows, in percent: 100 unless one of zoomPercents was set. */
    int getZoomPercent() const;
    void setZoomPercent (int percent);

private:
    void save();

    juce::ApplicationProperties properties;

    // Paths, newest first. (JUCE's RecentlyOpenedFilesList lives in a module the editor does not
    // otherwise need.)
    juce::StringArray recentFiles;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (UserSettings)
};
