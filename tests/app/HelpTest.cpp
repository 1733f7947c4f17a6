#include "ApplicationFixture.h"
#include "GuiTestSupport.h"
#include "app/CommandIDs.h"

namespace
{
/** Scenarios of the Help commands: the About window and the user guide. */
class Help : public ApplicationFixture
{
protected:
    static int aboutWindowsOnDesktop()
    {
        int count = 0;

        for (int i = 0; i < juce::Desktop::getInstance().getNumComponents(); ++i)
            if (dynamic_cast<AboutWindow*> (juce::Desktop::getInstance().getComponent (i)) != nullptr)
                ++count;

        return count;
    }
};

/** Deletes the file when the test ends, however it ends. */
struct RemovedAtEnd
{
    ~RemovedAtEnd() { file.deleteFile(); }
    juce::File file;
};
} // namespace

TEST_F (Help, AboutShowsOneCentredWindowThatAClickOnItsPictureTakesAway)
{
    start();
    invoke (CommandIDs::about);
    const auto about = app->getAboutWindow();
    invoke (CommandIDs::about);

    ASSERT_NE (about, nullptr);
    EXPECT_EQ (app->getAboutWindow(), about);
    EXPECT_EQ (aboutWindowsOnDesktop(), 1);
    EXPECT_TRUE (about->isOnDesktop());
    EXPECT_TRUE (about->isVisible());
    EXPECT_EQ (about->getWidth(), 501);
    EXPECT_EQ (about->getHeight(), 275);

    const auto screen = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay()->userArea;
    EXPECT_NEAR (about->getScreenBounds().getCentreX(), screen.getCentreX(), 1);
    EXPECT_NEAR (about->getScreenBounds().getCentreY(), screen.getCentreY(), 1);

    auto& version = about->getPanel().getVersionLabel();
    GuiTestSupport::click (version, version.getLocalBounds().getCentre());
    MessageLoop::drain();
    EXPECT_TRUE (about->isOnDesktop());

    GuiTestSupport::click (about->getPanel(), { 20, 20 });
    MessageLoop::drain();
    EXPECT_FALSE (about->isOnDesktop());
    EXPECT_EQ (aboutWindowsOnDesktop(), 0);

    invoke (CommandIDs::about);
    EXPECT_EQ (app->getAboutWindow(), about);
    EXPECT_TRUE (about->isOnDesktop());
    EXPECT_EQ (aboutWindowsOnDesktop(), 1);
}

TEST_F (Help, OpenUserGuideOpensTheGuideWhereItIsFoundOrSaysWhereItLooked)
{
    const auto program = juce::File::getSpecialLocation (juce::File::currentExecutableFile);
    const auto installed = program.getParentDirectory()
                               .getSiblingFile ("share")
                               .getChildFile ("karvelo-editor")
                               .getChildFile (OrvikEditorApplication::userGuideFileName);
    const auto beside = program.getSiblingFile (OrvikEditorApplication::userGuideFileName);

    if (installed.exists() || beside.exists())
        GTEST_SKIP() << "a user guide is already in place";

    const RemovedAtEnd removal{ beside };

    start();
    invoke (CommandIDs::openUserGuide);

    ASSERT_EQ (desktop->nativeMessages.size(), 1u);
    EXPECT_EQ (desktop->nativeMessages[0].title, "Karvelo Editor");
    EXPECT_EQ (desktop->nativeMessages[0].message, "Unable to find user guide.\n"
                                                       + installed.getFullPathName() + "\n"
                                                       + beside.getFullPathName());
    EXPECT_TRUE (desktop->documentsOpened.empty());

    ASSERT_TRUE (beside.replaceWithText ("%PDF-1.4\n"));
    invoke (CommandIDs::openUserGuide);

    ASSERT_EQ (desktop->documentsOpened.size(), 1u);
    EXPECT_EQ (desktop->documentsOpened[0], beside);
    EXPECT_EQ (desktop->nativeMessages.size(), 1u);
}
