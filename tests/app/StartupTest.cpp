#include "ApplicationFixture.h"
#include "HexFile.h"
#include "app/CommandIDs.h"

namespace
{
ByteArray factoryBlock()
{
    const auto message = HexFile::read ("factory_preset.hex");
    return ByteArray (message.begin() + 7, 138);
}
} // namespace

TEST_F (ApplicationFixture, StartsWithoutArgumentOnUntitledOneWithTheFactoryPresetAndTheControllersPorts)
{
    start();

    ASSERT_EQ (windows().size(), 1);
    EXPECT_EQ (window (0).getName(), "Karvelo Editor Untitled 1");
    EXPECT_EQ (window (0).getPosition(), juce::Point<int> (30, 75));
    EXPECT_EQ (presetOf (window (0)).getData(), factoryBlock());
    EXPECT_EQ (app->getMidiManager()->getOpenMidiInputNames(), juce::StringArray ("Karvelo"));
    EXPECT_EQ (app->getMidiManager()->getOpenMidiOutputNames(), juce::StringArray ("Karvelo"));
    EXPECT_TRUE (desktop->warnings.empty());
}

TEST_F (ApplicationFixture, AnArgumentBeginningWithADashIsIgnored)
{
    start ("-psn_0_12345");

    ASSERT_EQ (windows().size(), 1);
    EXPECT_EQ (window (0).getName(), "Karvelo Editor Untitled 1");
}

TEST_F (ApplicationFixture, StartsOnTheFileNamedOnTheCommandLine)
{
    ByteArray block = factoryBlock();
    block.set (1, 99);
    const auto file = writePresetFile ("Live Set.karvelo", block);

    start ("\"" + file.getFullPathName() + "\"");
    settle (50);

    ASSERT_EQ (windows().size(), 1);
    EXPECT_EQ (window (0).getName(), "Karvelo Editor Live Set.karvelo");
    EXPECT_EQ (window (0).getFilePath(), file.getFullPathName());
    EXPECT_EQ (presetOf (window (0)).getData(), block);
    EXPECT_TRUE (desktop->warnings.empty());
}
