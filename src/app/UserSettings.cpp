#include "UserSettings.h"

namespace
{
constexpr const char* recentFilesKey = "recentFiles";
constexpr const char* zoomKey = "zoomPercent";
constexpr const char* settingsName = "karvelo-editor";
} // namespace

juce::File UserSettings::getFolder()
{
    const auto configHome = juce::SystemStats::getEnvironmentVariable ("XDG_CONFIG_HOME", {});

    // A relative XDG_CONFIG_HOME is invalid and ignored, as desktops ignore it.
    const auto base =
        juce::File::isAbsolutePath (configHome) ? juce::File (configHome) : juce::File ("~/.config");
    return base.getChildFile (settingsName);
}

UserSettings::UserSettings()
{
    juce::PropertiesFile::Options options;
    options.applicationName = settingsName;
    options.filenameSuffix = ".settings";
    options.folderName = getFolder().getFullPathName();
    options.storageFormat = juce::PropertiesFile::storeAsXML;
    options.millisecondsBeforeSaving = -1; // saved at each change, below
    properties.setStorageParameters (options);

    if (auto* file = properties.getUserSettings())
    {
        recentFiles.addLines (file->getValue (recentFilesKey));
        recentFiles.removeEmptyStrings();
        recentFiles.removeDuplicates (false);
        recentFiles.removeRange (maximumRecentFiles, recentFiles.size());
    }
}

UserSettings::~UserSettings() = default;

juce::Array<juce::File> UserSettings::getRecentFiles() const
{
    juce::Array<juce::File> files;

    for (auto& path : recentFiles)
        if (juce::File::isAbsolutePath (path))
            files.add (juce::File (path));

    return files;
}

void UserSettings::addRecentFile (const juce::File& file)
{
    recentFiles.removeString (file.getFullPathName());
    recentFiles.insert (0, file.getFullPathName());
    recentFiles.removeRange (maximumRecentFiles, recentFiles.size());
    save();
}

void UserSettings::removeRecentFile (const juce::File& file)
{
    recentFiles.removeString (file.getFullPathName());
    save();
}

void UserSettings::clearRecentFiles()
{
    recentFiles.clear();
    save();
}

int UserSettings::getZoomPercent() const
{
    auto* file = const_cast<juce::ApplicationProperties&> (properties).getUserSettings();
    const auto stored = file != nullptr ? file->getValue (zoomKey) : juce::String();

    // Anything else (an edited file, a zoom a later version offers) is no zoom this one can show.
    for (auto percent : zoomPercents)
        if (stored == juce::String (percent))
            return percent;

    return 100;
}

void UserSettings::setZoomPercent (int percent)
{
    if (auto* file = properties.getUserSettings())
        file->setValue (zoomKey, percent);

    save();
}

void UserSettings::save()
{
    if (auto* file = properties.getUserSettings())
    {
        file->setValue (recentFilesKey, recentFiles.joinIntoString ("\n"));

        // A settings file that cannot be written costs the user the list, never the editor.
        file->saveIfNeeded();
    }
}
