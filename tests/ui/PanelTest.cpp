#include "GuiTestSupport.h"
#include "HexFile.h"
#include "MessageLoop.h"
#include "ui/MainContentComponent.h"
#include "ui/Pictures.h"

#include <gtest/gtest.h>

namespace
{
using GuiTestSupport::factoryPreset;

/** Every view of the panel with the bounds the layout gives it, computed here from the rules. */
std::vector<std::pair<juce::Component*, juce::Rectangle<int>>> viewsOf (MainContentComponent& panel)
{
    std::vector<std::pair<juce::Component*, juce::Rectangle<int>>> views;

    for (int i = 0; i < 24; ++i)
        views.push_back ({ &panel.getKnobView (i), { 110 + (i / 3) * 84, 143 + (i % 3) * 95, 100, 40 } });

    for (int i = 0; i < 9; ++i)
        views.push_back ({ &panel.getFaderView (i), { 110 + i * 84, 635, 100, 40 } });

    for (int i = 0; i < 24; ++i)
        views.push_back ({ &panel.getSwitchView (i), { 110 + (i % 8) * 84, 375 + (i / 8) * 62, 100, 100 } });

    return views;
}
} // namespace

TEST (Panel, Layout)
{
    MainContentComponent panel (factoryPreset());
    EXPECT_EQ (panel.getBounds(), juce::Rectangle<int> (0, 0, 940, 721));
    EXPECT_EQ (panel.getNumChildComponents(), 57);
    EXPECT_EQ (panel.getSwitchView (23).getPosition(), juce::Point<int> (698, 499));

    for (auto size :
         { juce::Point<int> (940, 721), juce::Point<int> (500, 300), juce::Point<int> (1200, 900) })
    {
        panel.setSize (size.x, size.y);

        for (auto& [view, bounds] : viewsOf (panel))
            EXPECT_EQ (view->getBounds(), bounds);
    }

    // Captions sit immediately left of their boxes, at the boxes' heights.
    for (auto* view : { static_cast<juce::Component*> (&panel.getKnobView (0)),
                        static_cast<juce::Component*> (&panel.getSwitchView (0)) })
        for (auto* child : view->getChildren())
            if (auto* caption = dynamic_cast<juce::Label*> (child);
                caption != nullptr && caption->getAttachedComponent() != nullptr)
            {
                const auto box = caption->getAttachedComponent()->getBounds();
                EXPECT_EQ (caption->getRight(), box.getX());
                EXPECT_EQ (caption->getY(), box.getY());
                EXPECT_EQ (caption->getHeight(), box.getHeight());
            }
}

TEST (Panel, PaintsButtonsAndNumbers)
{
    auto preset = factoryPreset();
    ASSERT_TRUE (preset->getSwitch (0)->setData ({ 0, 1, 1 })); // mute of strip 1 sends control changes
    MainContentComponent panel (preset);
    MessageLoop::drain();

    const auto painted = GuiTestSupport::snapshot (panel);
    const auto onColour = Pictures::switchOn().getPixelAt (12, 8),
               offColour = Pictures::switchOff().getPixelAt (12, 8);
    EXPECT_GT (onColour.getGreen(), onColour.getBlue() + 40) << "on reads as orange";
    EXPECT_GT (offColour.getRed(), offColour.getGreen() + 80) << "off reads as red";

    for (int i = 0; i < 24; ++i)
    {
        const auto corner = panel.getSwitchView (i).getPosition();
        EXPECT_EQ (painted.getPixelAt (corner.x + 12, corner.y + 8), i == 0 ? onColour : offColour)
            << "switch view " << i;
    }

    for (auto& [view, bounds] : viewsOf (panel))
    {
        for (auto* box : view->getChildren())
        {
            if (dynamic_cast<NumberBoxComponent<int>*> (box) != nullptr)
            {
                const auto area = box->getBounds() + bounds.getPosition();
                EXPECT_GT (GuiTestSupport::countNearWhitePixels (painted, area), 4)
                    << "no number at " << area.toString();
            }
        }
    }
}

TEST (Panel, MatchesReference)
{
    MainContentComponent panel (factoryPreset());
    MessageLoop::drain();
    const auto painted = GuiTestSupport::snapshot (panel);
    const auto reference = HexFile::getTestDataFile ("golden/panel_factory.png");

    // KARVELO_UPDATE_GOLDEN=1 writes a new reference instead.
    if (juce::SystemStats::getEnvironmentVariable ("KARVELO_UPDATE_GOLDEN", {}).isNotEmpty())
    {
        reference.deleteFile();
        juce::FileOutputStream stream (reference);
        ASSERT_TRUE (juce::PNGImageFormat().writeImageToStream (painted, stream));
        GTEST_SKIP() << "reference written";
    }

    const auto expected = juce::ImageFileFormat::loadFrom (reference);
    ASSERT_EQ (expected.getBounds(), painted.getBounds());
    double difference = 0.0;

    for (int y = 0; y < painted.getHeight(); ++y)
        for (int x = 0; x < painted.getWidth(); ++x)
        {
            const auto p = painted.getPixelAt (x, y), q = expected.getPixelAt (x, y);
            difference += std::abs (p.getRed() - q.getRed()) + std::abs (p.getGreen() - q.getGreen())
                          + std::abs (p.getBlue() - q.getBlue());
        }

    EXPECT_LT (difference / (3.0 * painted.getWidth() * painted.getHeight()), 1.0)
        << "mean difference per channel";
}
