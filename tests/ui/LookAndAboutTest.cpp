#include "GuiTestSupport.h"
#include "MessageLoop.h"
#include "ui/AboutComponent.h"
#include "ui/CustomLookForAuxiliaryWindows.h"
#include "ui/Pictures.h"

#include <gtest/gtest.h>

TEST (AboutPanel, VersionAndClickToClose)
{
    AboutComponent about (Pictures::aboutBackground());
    EXPECT_EQ (about.getVersionLabel().getText(), "Version: 1.0.7");
    const auto painted = GuiTestSupport::snapshot (about);

    for (int y : { 107, 211, 227 })
        EXPECT_GT (GuiTestSupport::countNearWhitePixels (painted, { 0, y, 501, 15 }), 50) << "line at " << y;

    // The version line takes its own clicks; a press alone does not close the window.
    GuiTestSupport::HostWindow window (about);
    MessageLoop::drain();
    GuiTestSupport::click (about, { 250, 115 });
    GuiTestSupport::press (about, { 250, 230 });
    EXPECT_TRUE (window.isOnDesktop());
    GuiTestSupport::release (about, { 250, 230 });
    EXPECT_FALSE (window.isOnDesktop());
}

TEST (SetupLook, ScrollBar)
{
    CustomLookForAuxiliaryWindows look;
    juce::ScrollBar scrollBar (true);
    scrollBar.setColour (juce::ScrollBar::backgroundColourId, juce::Colours::darkgrey);
    scrollBar.setColour (juce::ScrollBar::thumbColourId, juce::Colours::red);
    juce::Image image (juce::Image::ARGB, 10, 100, true);
    juce::Graphics g (image);
    look.drawScrollbar (g, scrollBar, 0, 0, 10, 100, true, 30, 40, false, false);

    // An 8-pixel track, the thumb starting 1 pixel right of it.
    EXPECT_EQ (image.getPixelAt (4, 15), juce::Colours::darkgrey);
    EXPECT_EQ (image.getPixelAt (9, 15).getAlpha(), 0);
    EXPECT_EQ (image.getPixelAt (8, 50), juce::Colours::red);
}
