#include "ui/Pictures.h"
#include "GuiTestSupport.h"
#include "HexFile.h"
#include "MessageLoop.h"
#include "ui/AboutComponent.h"
#include "ui/CustomLookForAuxiliaryWindows.h"
#include "ui/ImageToggleButton.h"
#include "ui/MainContentComponent.h"
#include "ui/ReferenceCountedImageButton.h"

#include <gtest/gtest.h>

namespace
{
/** The mean difference per channel, alpha included, between two pictures of one size over an area. */
double difference (const juce::Image& painted, const juce::Image& expected, juce::Rectangle<int> area)
{
    double sum = painted.getBounds() == expected.getBounds() ? 0.0 : 1.0e9;

    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
        {
            const auto p = painted.getPixelAt (x, y), q = expected.getPixelAt (x, y);
            sum += std::abs (p.getRed() - q.getRed()) + std::abs (p.getGreen() - q.getGreen())
                   + std::abs (p.getBlue() - q.getBlue()) + std::abs (p.getAlpha() - q.getAlpha());
        }

    return sum / (4.0 * area.getWidth() * area.getHeight());
}
} // namespace

TEST (Pictures, PanelMatchesReference)
{
    // Over the whole panel and over each view's own area, which a view out of place, a caption beside
    // the wrong box or a number not painted shows at once; the views stay where they are when the
    // window is larger or smaller.
    MainContentComponent panel (GuiTestSupport::factoryPreset());
    MessageLoop::drain();
    const auto expected =
        juce::ImageFileFormat::loadFrom (HexFile::getTestDataFile ("golden/panel_factory.png"));

    for (auto size : { juce::Point<int> (940, 721), juce::Point<int> (1200, 900) })
    {
        panel.setSize (size.x, size.y);
        const auto painted = panel.createComponentSnapshot (expected.getBounds());
        EXPECT_LT (difference (painted, expected, expected.getBounds()), 0.75) << size.toString();

        for (auto* view : panel.getChildren())
            EXPECT_LT (difference (painted, expected, view->getBounds()), 1.5)
                << view->getBounds().toString();
    }
}

TEST (Pictures, ButtonsShowTheirStateSharply)
{
    // What the buttons draw at a desktop scale of 2, against the larger renderings on disk.
    const auto shows = [] (juce::Component& button, const char* name)
    {
        const auto larger = juce::ImageFileFormat::loadFrom (
            juce::File (KARVELO_TEST_DATA_DIR)
                .getSiblingFile ("../resources/" + juce::String (name) + "@2x.png"));
        const auto painted = button.createComponentSnapshot (button.getLocalBounds(), true, 2.0f);
        return difference (painted, larger, larger.getBounds()) == 0.0;
    };

    // The switch clicked, then stored as the model stores it; hover and press leave the picture alone.
    ImageToggleButton toggle ("CC Note Toggle Button", Pictures::switchOff(), Pictures::switchOn());
    toggle.setSize (53, 35);
    juce::Value shared;
    toggle.getToggleStateValue().referTo (shared);
    toggle.triggerClick();
    MessageLoop::drain();
    EXPECT_TRUE (shows (toggle, "switch_on"));

    for (auto [stored, name] : { std::pair<juce::var, const char*> (0, "switch_off"), { "1", "switch_on" } })
    {
        shared = stored;
        toggle.setState (juce::Button::buttonDown);
        EXPECT_TRUE (shows (toggle, name)) << name;
    }

    // MIDI Setup's buttons, in their window's look.
    const auto apply = createApplyButton();
    CustomLookForAuxiliaryWindows look;
    apply->setLookAndFeel (&look);
    EXPECT_TRUE (shows (*apply, "apply_normal"));
    apply->setLookAndFeel (nullptr);
}

TEST (Pictures, AboutShowsVersionAndClosesOnClick)
{
    AboutComponent about (Pictures::aboutBackground());
    EXPECT_EQ (about.getVersionLabel().getText(), "Version: " KARVELO_VERSION);

    // The version line takes its own clicks; a press alone does not close the window.
    GuiTestSupport::HostWindow window (about);
    MessageLoop::drain();
    GuiTestSupport::click (about, { 250, 115 });
    GuiTestSupport::press (about, { 250, 230 });
    EXPECT_TRUE (window.isOnDesktop());
    GuiTestSupport::moveMouse (about, { 250, 230 });
    EXPECT_FALSE (window.isOnDesktop());
}
