#include "GuiTestSupport.h"
#include "MessageLoop.h"
#include "ui/AboutComponent.h"
#include "ui/CustomLookForAuxiliaryWindows.h"
#include "ui/OrvikEditorCustomLook.h"
#include "ui/Pictures.h"

#include <gtest/gtest.h>

namespace
{
juce::Image blankImage (int width, int height)
{
    return juce::Image (juce::Image::ARGB, width, height, true);
}

bool isTransparent (const juce::Image& image, int x, int y)
{
    return image.getPixelAt (x, y).getAlpha() == 0;
}
} // namespace

TEST (AboutPanel, IsThePictureWithTheVersionLineOverIt)
{
    AboutComponent about (Pictures::aboutBackground());

    EXPECT_EQ (about.getBounds(), juce::Rectangle<int> (0, 0, 501, 275));
    EXPECT_EQ (about.getVersionLabel().getBounds(), juce::Rectangle<int> (0, 107, 501, 15));
    EXPECT_EQ (about.getVersionLabel().getText(), "Version: 1.0.7");

    // The two legal lines are painted in white over the dark foot of the picture.
    const auto painted = GuiTestSupport::snapshot (about);
    EXPECT_GT (GuiTestSupport::countNearWhitePixels (painted, { 0, 211, 501, 15 }), 50);
    EXPECT_GT (GuiTestSupport::countNearWhitePixels (painted, { 0, 227, 501, 15 }), 50);
    EXPECT_GT (GuiTestSupport::countNearWhitePixels (painted, { 0, 107, 501, 15 }), 50);
}

TEST (AboutPanel, AReleasedClickOutsideTheVersionLineClosesItsWindow)
{
    AboutComponent about (Pictures::aboutBackground());
    GuiTestSupport::HostWindow window (about);
    MessageLoop::drain();
    ASSERT_TRUE (window.isOnDesktop());

    GuiTestSupport::click (about, { 250, 115 }); // on the version line
    EXPECT_TRUE (window.isOnDesktop());

    GuiTestSupport::press (about, { 250, 230 }); // on the legal lines, painted by the panel itself
    EXPECT_TRUE (window.isOnDesktop()) << "pressing alone must not close it";

    GuiTestSupport::release (about, { 250, 230 });
    EXPECT_FALSE (window.isOnDesktop());
}

TEST (EditorLook, TickBoxesAreBlackOutlinesCrossedWhenTicked)
{
    OrvikEditorCustomLook look;
    juce::ToggleButton toggle ("Option");
    toggle.setSize (100, 20);

    auto image = blankImage (100, 20);
    {
        juce::Graphics g (image);
        look.drawToggleButton (g, toggle, false, false);
    }

    // The box is 16.5 pixels square from x 4, vertically centred; the text starts at x 21.
    EXPECT_EQ (image.getPixelAt (4, 10).getAlpha(), 255);
    EXPECT_EQ (image.getPixelAt (4, 10).getBrightness(), 0.0f);
    EXPECT_TRUE (isTransparent (image, 12, 10)) << "an unticked box is empty";
    EXPECT_TRUE (isTransparent (image, 2, 10));

    toggle.setToggleState (true, juce::dontSendNotification);
    auto ticked = blankImage (100, 20);
    {
        juce::Graphics g (ticked);
        look.drawToggleButton (g, toggle, false, false);
    }
    EXPECT_FALSE (isTransparent (ticked, 12, 10)) << "a ticked box is crossed";
}

TEST (EditorLook, ProgressBarFillsItsShareWithTheBlueGradient)
{
    OrvikEditorCustomLook look;
    double progress = 0.5;
    juce::ProgressBar bar (progress);
    bar.setColour (juce::ProgressBar::backgroundColourId, juce::Colours::white);

    auto image = blankImage (102, 20);
    {
        juce::Graphics g (image);
        look.drawProgressBar (g, bar, 102, 20, 0.5, {});
    }

    const auto filled = image.getPixelAt (25, 10), empty = image.getPixelAt (80, 10);
    EXPECT_GT (filled.getBlue(), filled.getRed() + 100);
    EXPECT_EQ (empty, juce::Colours::white);

    auto none = blankImage (102, 20);
    {
        juce::Graphics g (none);
        look.drawProgressBar (g, bar, 102, 20, -1.0, {});
    }
    EXPECT_EQ (none.getPixelAt (25, 10), juce::Colours::white);
}

TEST (SetupLook, ScrollBarTrackAndThumbAreFlatAndRounded)
{
    CustomLookForAuxiliaryWindows look;
    juce::ScrollBar scrollBar (true);
    scrollBar.setColour (juce::ScrollBar::backgroundColourId, juce::Colours::darkgrey);
    scrollBar.setColour (juce::ScrollBar::thumbColourId, juce::Colours::red);

    auto image = blankImage (10, 100);
    {
        juce::Graphics g (image);
        look.drawScrollbar (g, scrollBar, 0, 0, 10, 100, true, 30, 40, false, false);
    }

    EXPECT_EQ (CustomLookForAuxiliaryWindows::getScrollBarThickness(), 10);
    EXPECT_EQ (CustomLookForAuxiliaryWindows::getListBackgroundColour(), juce::Colours::black);
    EXPECT_EQ (image.getPixelAt (4, 15), juce::Colours::darkgrey) << "the track";
    EXPECT_TRUE (isTransparent (image, 9, 15)) << "the track is 8 pixels wide";
    EXPECT_EQ (image.getPixelAt (5, 50), juce::Colours::red) << "the thumb";
    EXPECT_EQ (image.getPixelAt (8, 50), juce::Colours::red) << "the thumb starts 1 pixel right of the track";
}

TEST (SetupLook, ComboBoxArrowPointsDownNearTheRightEdge)
{
    CustomLookForAuxiliaryWindows look;
    juce::ComboBox box;
    box.setColour (juce::ComboBox::backgroundColourId, juce::Colours::white);
    box.setColour (juce::ComboBox::arrowColourId, juce::Colours::black);

    auto image = blankImage (100, 20);
    {
        juce::Graphics g (image);
        look.drawComboBox (g, 100, 20, false, 80, 0, 20, 20, box);
    }

    EXPECT_EQ (image.getPixelAt (90, 11), juce::Colours::black);
    EXPECT_EQ (image.getPixelAt (90, 16), juce::Colours::white);
    EXPECT_EQ (image.getPixelAt (80, 11), juce::Colours::white);
    EXPECT_EQ (image.getPixelAt (50, 10), juce::Colours::white);
}
