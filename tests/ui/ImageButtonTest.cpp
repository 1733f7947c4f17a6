#include "GuiTestSupport.h"
#include "MessageLoop.h"
#include "ui/ImageToggleButton.h"
#include "ui/Pictures.h"
#include "ui/ReferenceCountedImageButton.h"

#include <gtest/gtest.h>

namespace
{
/** Whether the component, painted as it is now, shows exactly this picture. */
bool shows (juce::Component& component, const juce::Image& picture)
{
    const auto painted = GuiTestSupport::snapshot (component);

    if (painted.getWidth() != picture.getWidth() || painted.getHeight() != picture.getHeight())
        return false;

    for (auto point :
         { juce::Point<int> (picture.getWidth() / 2, picture.getHeight() / 2), juce::Point<int> (10, 8),
           juce::Point<int> (picture.getWidth() - 12, picture.getHeight() - 9) })
        if (painted.getPixelAt (point.x, point.y) != picture.getPixelAt (point.x, point.y))
            return false;

    return true;
}

ImageToggleButton::Ptr createTypeButton()
{
    ImageToggleButton::Ptr button (
        new ImageToggleButton ("CC Note Toggle Button", Pictures::switchOff(), Pictures::switchOn()));
    button->setSize (53, 35);
    return button;
}
} // namespace

TEST (ImageToggleButton, ClicksFlipBetweenTheTwoPictures)
{
    auto button = createTypeButton();
    ASSERT_FALSE (shows (*button, Pictures::switchOn()))
        << "the two pictures must differ where they are compared";
    EXPECT_TRUE (shows (*button, Pictures::switchOff()));

    button->triggerClick();
    MessageLoop::drain();
    EXPECT_TRUE (button->getToggleState());
    EXPECT_TRUE (shows (*button, Pictures::switchOn()));

    button->triggerClick();
    MessageLoop::drain();
    EXPECT_TRUE (shows (*button, Pictures::switchOff()));
}

TEST (ImageToggleButton, ASharedValueOfOneOrTrueShowsTheOnPicture)
{
    auto button = createTypeButton();
    juce::Value shared;
    button->getToggleStateValue().referTo (shared);

    for (auto [stored, on] : std::vector<std::pair<juce::var, bool>>{ { 1, true },
                                                                      { 0, false },
                                                                      { true, true },
                                                                      { false, false },
                                                                      { "1", true } })
    {
        shared = stored;
        MessageLoop::drain();
        EXPECT_EQ (shows (*button, Pictures::switchOn()), on) << stored.toString();
        EXPECT_EQ (shows (*button, Pictures::switchOff()), ! on) << stored.toString();
    }
}

TEST (ImageToggleButton, HoverAndPressDoNotChangeThePicture)
{
    auto button = createTypeButton();

    for (auto state : { juce::Button::buttonOver, juce::Button::buttonDown, juce::Button::buttonNormal })
    {
        button->setState (state);
        EXPECT_TRUE (shows (*button, Pictures::switchOff()));
    }
}

TEST (ReferenceCountedImageButton, SetupButtonsAreNamedSizedAndShadedByState)
{
    struct Expected
    {
        ReferenceCountedImageButton::Ptr button;
        juce::String name;
        juce::Image normal, over, down;
    };

    for (auto& expected :
         { Expected{ createApplyButton(), "Apply", Pictures::applyNormal(), Pictures::applyOver(),
                     Pictures::applyDown() },
           Expected{ createOKButton(), "OK", Pictures::okNormal(), Pictures::okOver(), Pictures::okDown() },
           Expected{ createCancelButton(), "Cancel", Pictures::cancelNormal(), Pictures::cancelOver(),
                     Pictures::cancelDown() } })
    {
        auto& button = *expected.button;
        EXPECT_EQ (button.getName(), expected.name);
        EXPECT_EQ (button.getBounds(), juce::Rectangle<int> (0, 0, 96, 25));

        EXPECT_TRUE (shows (button, expected.normal)) << expected.name;
        button.setState (juce::Button::buttonOver);
        EXPECT_TRUE (shows (button, expected.over)) << expected.name;
        button.setState (juce::Button::buttonDown);
        EXPECT_TRUE (shows (button, expected.down)) << expected.name;

        const auto middle = [] (const juce::Image& image)
        { return image.getPixelAt (48, 3).getBrightness(); };
        EXPECT_GT (middle (expected.over), middle (expected.normal)) << expected.name;
        EXPECT_GT (middle (expected.normal), middle (expected.down)) << expected.name;
    }
}
