#include "GuiTestSupport.h"
#include "HexFile.h"
#include "MessageLoop.h"
#include "ui/MainContentComponent.h"

#include <gtest/gtest.h>

TEST (Panel, MatchesReference)
{
    MainContentComponent panel (GuiTestSupport::factoryPreset());
    MessageLoop::drain();
    const auto reference = HexFile::getTestDataFile ("golden/panel_factory.png");

    // KARVELO_UPDATE_GOLDEN=1 writes a new reference instead.
    if (juce::SystemStats::getEnvironmentVariable ("KARVELO_UPDATE_GOLDEN", {}).isNotEmpty())
    {
        reference.deleteFile();
        juce::FileOutputStream stream (reference);
        ASSERT_TRUE (juce::PNGImageFormat().writeImageToStream (GuiTestSupport::snapshot (panel), stream));
        GTEST_SKIP() << "reference written";
    }

    // The mean difference per channel over the whole panel and over each view's own area, which a
    // view out of place, a caption beside the wrong box or a number not painted shows at once; the
    // views stay where they are when the window is larger or smaller.
    const auto expected = juce::ImageFileFormat::loadFrom (reference);
    const auto difference = [&] (const juce::Image& painted, juce::Rectangle<int> area)
    {
        double sum = 0.0;

        for (int y = area.getY(); y < area.getBottom(); ++y)
            for (int x = area.getX(); x < area.getRight(); ++x)
            {
                const auto p = painted.getPixelAt (x, y), q = expected.getPixelAt (x, y);
                sum += std::abs (p.getRed() - q.getRed()) + std::abs (p.getGreen() - q.getGreen())
                       + std::abs (p.getBlue() - q.getBlue());
            }

        return sum / (3.0 * area.getWidth() * area.getHeight());
    };

    for (auto size : { juce::Point<int> (940, 721), juce::Point<int> (1200, 900) })
    {
        panel.setSize (size.x, size.y);
        const auto painted = panel.createComponentSnapshot (expected.getBounds());
        EXPECT_LT (difference (painted, expected.getBounds()), 1.0) << size.toString();

        for (auto* view : panel.getChildren())
            EXPECT_LT (difference (painted, view->getBounds()), 2.0) << view->getBounds().toString();
    }
}
