#include "GuiTestSupport.h"
#include "MessageLoop.h"
#include "ui/CustomLookForAuxiliaryWindows.h"
#include "ui/ImageToggleButton.h"
#include "ui/Pictures.h"
#include "ui/ReferenceCountedImageButton.h"

#include <gtest/gtest.h>

namespace
{
/** Whether the component, painted as it is now, shows this picture (compared at three points). */
bool shows (juce::Component& component, const juce::Image& picture)
{
    const auto painted = GuiTestSupport::snapshot (component);
    const auto w = picture.getWidth(), h = picture.getHeight();
    bool same = painted.getBounds() == picture.getBounds();

    for (auto [x, y] : { std::pair (w / 2, h / 2), std::pair (10, 8), std::pair (w - 12, h - 9) })
        same = same && painted.getPixelAt (x, y) == picture.getPixelAt (x, y);

    return same;
}
} // namespace

TEST (ImageToggleButton, ShowsItsState)
{
    ImageToggleButton button ("CC Note Toggle Button", Pictures::switchOff(), Pictures::switchOn());
    button.setSize (53, 35);
    juce::Value shared;
    button.getToggleStateValue().referTo (shared);

    // Clicked twice, then stored as the model stores it; hover and press leave the picture alone.
    for (auto [stored, on] : std::vector<std::pair<juce::var, bool>>{ { {}, true },
                                                                      { {}, false },
                                                                      { 1, true },
                                                                      { 0, false },
                                                                      { "1", true },
                                                                      { false, false } })
    {
        if (stored.isVoid())
            button.triggerClick();
        else
            shared = stored;

        MessageLoop::drain();
        EXPECT_TRUE (shows (button, on ? Pictures::switchOn() : Pictures::switchOff())) << stored.toString();
    }

    for (auto state : { juce::Button::buttonOver, juce::Button::buttonDown })
    {
        button.setState (state);
        EXPECT_TRUE (shows (button, Pictures::switchOff()));
    }
}

TEST (ReferenceCountedImageButton, SetupButtons)
{
    const std::tuple<ReferenceCountedImageButton::Ptr, const char*, juce::Image, juce::Image, juce::Image>
        buttons[] = { { createApplyButton(), "Apply", Pictures::applyNormal(), Pictures::applyOver(),
                        Pictures::applyDown() },
                      { createOKButton(), "OK", Pictures::okNormal(), Pictures::okOver(),
                        Pictures::okDown() },
                      { createCancelButton(), "Cancel", Pictures::cancelNormal(), Pictures::cancelOver(),
                        Pictures::cancelDown() } };

    for (auto& [button, name, normal, over, down] : buttons)
    {
        EXPECT_EQ (button->getName(), name);
        EXPECT_TRUE (shows (*button, normal)) << name;
        button->setState (juce::Button::buttonOver);
        EXPECT_TRUE (shows (*button, over)) << name;
        button->setState (juce::Button::buttonDown);
        EXPECT_TRUE (shows (*button, down)) << name;
    }
}

TEST (ImageToggleButton, SharpAtScaleTwo)
{
    // The renderings on disk, against which what the buttons draw is compared pixel for pixel.
    const auto larger = [] (const char* name)
    {
        return juce::ImageFileFormat::loadFrom (
            juce::File (KARVELO_TEST_DATA_DIR)
                .getSiblingFile ("../resources/" + juce::String (name) + "@2x.png"));
    };
    const auto differingPixels = [] (const juce::Image& a, const juce::Image& b)
    {
        int differing = a.getBounds() == b.getBounds() ? 0 : -1;

        for (int y = 0; differing >= 0 && y < a.getHeight(); ++y)
            for (int x = 0; x < a.getWidth(); ++x)
                differing += a.getPixelAt (x, y).toString() != b.getPixelAt (x, y).toString();

        return differing;
    };

    ImageToggleButton toggle ("CC Note Toggle Button", Pictures::switchOff(), Pictures::switchOn());
    toggle.setSize (53, 35);
    const auto setup = createApplyButton();
    CustomLookForAuxiliaryWindows look;
    setup->setLookAndFeel (&look); // as in the MIDI Setup panel

    for (auto [button, name] : { std::pair<juce::Component*, const char*> (&toggle, "switch_off"),
                                 std::pair<juce::Component*, const char*> (setup.get(), "apply_normal") })
        EXPECT_EQ (differingPixels (button->createComponentSnapshot (button->getLocalBounds(), true, 2.0f),
                                    larger (name)),
                   0)
            << name;

    setup->setLookAndFeel (nullptr);
}
