#include "app/UserSettings.h"
#include "ApplicationFixture.h"

namespace
{
using UserSettingsTest = ApplicationFixture; // for its own XDG config home

juce::File preset (int n)
{
    return juce::File ("/p" + juce::String (n) + ".karvelo");
}
} // namespace

TEST_F (UserSettingsTest, RecentFiles)
{
    {
        UserSettings settings;

        for (int n : { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 5 }) // 5 opened again: back to the top
            settings.addRecentFile (preset (n));
    }

    juce::StringArray names;

    for (auto& file : UserSettings().getRecentFiles())
        names.add (file.getFileNameWithoutExtension());

    EXPECT_EQ (names.joinIntoString (" "), "p5 p12 p11 p10 p9 p8 p7 p6 p4 p3");
    EXPECT_TRUE (folder.getChildFile ("config/karvelo-editor/karvelo-editor.settings").existsAsFile());
}

TEST_F (UserSettingsTest, DamagedSettings)
{
    const auto file = folder.getChildFile ("config/karvelo-editor/karvelo-editor.settings");
    const juce::String head = "<?xml version=\"1.0\"?><PROPERTIES><VALUE name=";
    ASSERT_TRUE (file.getParentDirectory().createDirectory());
    const auto zoom = [&] (const char* value)
    { return head + "\"zoomPercent\" val=\"" + value + "\"/></PROPERTIES>"; };

    for (const auto& contents : { head + "\"recentFiles\" val", juce::String ("\x01\x02garbage"),
                                  zoom ("130"), zoom ("-75"), zoom ("big"), zoom ("1e9") })
    {
        SCOPED_TRACE (contents);
        ASSERT_TRUE (file.replaceWithText (contents));
        UserSettings settings;
        EXPECT_TRUE (settings.getRecentFiles().isEmpty());
        EXPECT_EQ (settings.getZoomPercent(), 100);
        settings.addRecentFile (preset (1));
        EXPECT_EQ (UserSettings().getRecentFiles().getFirst(), preset (1))
            << "the damaged file was not replaced";
    }

    // A folder where the file should be: nothing can be kept, and nothing fails.
    ASSERT_TRUE (file.deleteFile() && file.createDirectory());
    UserSettings settings;
    settings.addRecentFile (preset (2));
    EXPECT_EQ (settings.getRecentFiles().getFirst(), preset (2));
}
