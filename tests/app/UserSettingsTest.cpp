#include "app/UserSettings.h"
#include "TemporaryFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace
{
struct UserSettingsTest : ::testing::Test
{
    UserSettingsTest() { setenv ("XDG_CONFIG_HOME", folder.get().getFullPathName().toRawUTF8(), 1); }
    ~UserSettingsTest() override { unsetenv ("XDG_CONFIG_HOME"); }

    juce::File settingsFile() const { return folder.getChildFile ("karvelo-editor/karvelo-editor.settings"); }

    juce::File preset (int n) const { return folder.getChildFile ("p" + juce::String (n) + ".karvelo"); }

    TemporaryFolder folder;
};
} // namespace

TEST_F (UserSettingsTest, RecentFiles)
{
    {
        UserSettings settings;

        for (int n = 1; n <= 12; ++n)
            settings.addRecentFile (preset (n));

        settings.addRecentFile (preset (5)); // opened again: back to the top
        settings.setZoomPercent (150);
    }

    UserSettings restarted;
    const auto files = restarted.getRecentFiles();
    ASSERT_EQ (files.size(), UserSettings::maximumRecentFiles);
    EXPECT_EQ (files[0], preset (5));
    EXPECT_EQ (files[1], preset (12));
    EXPECT_EQ (files[9], preset (3));
    EXPECT_EQ (restarted.getZoomPercent(), 150);
    EXPECT_TRUE (settingsFile().existsAsFile()) << "not under the XDG config home";

    restarted.removeRecentFile (preset (12));
    EXPECT_EQ (restarted.getRecentFiles()[1], preset (11));
    restarted.clearRecentFiles();
    EXPECT_TRUE (UserSettings().getRecentFiles().isEmpty());
}

TEST_F (UserSettingsTest, DamagedSettings)
{
    ASSERT_TRUE (settingsFile().getParentDirectory().createDirectory());
    const char damaged[] = "<?xml version=\"1.0\"?><PROPERTIES><VALUE name=\"recentFiles\" val";

    for (const auto& contents : { juce::String (damaged), juce::String ("\x01\x02garbage") })
    {
        ASSERT_TRUE (settingsFile().replaceWithText (contents));
        UserSettings settings;
        EXPECT_TRUE (settings.getRecentFiles().isEmpty());
        EXPECT_EQ (settings.getZoomPercent(), 100);
        settings.addRecentFile (preset (1));
        EXPECT_EQ (UserSettings().getRecentFiles().getFirst(), preset (1))
            << "the damaged file was not replaced";
    }

    // A folder where the file should be: nothing can be kept, and nothing fails.
    ASSERT_TRUE (settingsFile().deleteFile() && settingsFile().createDirectory());
    UserSettings settings;
    settings.addRecentFile (preset (2));
    EXPECT_EQ (settings.getRecentFiles().getFirst(), preset (2));
}
