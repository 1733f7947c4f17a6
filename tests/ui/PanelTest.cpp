#include "GuiTestSupport.h"
#include "HexFile.h"
#include "MessageLoop.h"
#include "ui/MainContentComponent.h"
#include "ui/Pictures.h"

#include <gtest/gtest.h>

namespace
{
KARVELOEditorPreset::Ptr factoryPreset()
{
    KARVELOEditorPreset::Ptr preset (new KARVELOEditorPreset());
    const auto message = HexFile::read ("factory_preset.hex");
    EXPECT_TRUE (preset->setData (ByteArray (message.begin() + 7, 138)));
    return preset;
}

std::vector<juce::Component*> viewsOf (MainContentComponent& panel)
{
    std::vector<juce::Component*> views;

    for (int i = 0; i < 24; ++i)
        views.push_back (&panel.getKnobView (i));

    for (int i = 0; i < 9; ++i)
        views.push_back (&panel.getFaderView (i));

    for (int i = 0; i < 24; ++i)
        views.push_back (&panel.getSwitchView (i));

    return views;
}

/** Mean difference per channel between two images of the same size, 0 to 255. */
double meanDifference (const juce::Image& a, const juce::Image& b)
{
    double total = 0.0;

    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
        {
            const auto p = a.getPixelAt (x, y), q = b.getPixelAt (x, y);
            total += std::abs (p.getRed() - q.getRed()) + std::abs (p.getGreen() - q.getGreen())
                     + std::abs (p.getBlue() - q.getBlue());
        }

    return total / (3.0 * a.getWidth() * a.getHeight());
}
} // namespace

TEST (Panel, HoldsFiftySevenViewsAtTheControllersPositions)
{
    MainContentComponent panel (factoryPreset());

    EXPECT_EQ (panel.getBounds(), juce::Rectangle<int> (0, 0, 940, 721));
    EXPECT_EQ (panel.getNumChildComponents(), 57);

    for (int i = 0; i < 24; ++i)
    {
        EXPECT_EQ (panel.getKnobView (i).getBounds(),
                   juce::Rectangle<int> (110 + (i / 3) * 84, 143 + (i % 3) * 95, 100, 40));
        EXPECT_EQ (panel.getKnobView (i).getControl().get(), panel.getPreset()->getKnob (i).get());
    }

    for (int i = 0; i < 9; ++i)
    {
        EXPECT_EQ (panel.getFaderView (i).getBounds(), juce::Rectangle<int> (110 + i * 84, 635, 100, 40));
        EXPECT_EQ (panel.getFaderView (i).getControl().get(), panel.getPreset()->getFader (i).get());
    }

    for (int i = 0; i < 24; ++i)
        EXPECT_EQ (panel.getSwitchView (i).getBounds(),
                   juce::Rectangle<int> (110 + (i % 8) * 84, 375 + (i / 8) * 62, 100, 100));

    EXPECT_EQ (panel.getKnobView (23).getPosition(), juce::Point<int> (698, 333));
    EXPECT_EQ (panel.getFaderView (8).getPosition(), juce::Point<int> (782, 635));
    EXPECT_EQ (panel.getSwitchView (23).getPosition(), juce::Point<int> (698, 499));

    // Screen rows MUTE, SOLO, REC ARM edit the preset's mute, solo and record-arm buttons, which the
    // block keeps as mute, record-arm, solo.
    EXPECT_EQ (panel.getSwitchView (7).getControl().get(), panel.getPreset()->getSwitch (7).get());
    EXPECT_EQ (panel.getSwitchView (8).getControl().get(), panel.getPreset()->getSwitch (16).get());
    EXPECT_EQ (panel.getSwitchView (15).getControl().get(), panel.getPreset()->getSwitch (23).get());
    EXPECT_EQ (panel.getSwitchView (16).getControl().get(), panel.getPreset()->getSwitch (8).get());
    EXPECT_EQ (panel.getSwitchView (23).getControl().get(), panel.getPreset()->getSwitch (15).get());
}

TEST (Panel, ResizingMovesNothingAndCaptionsStayLeftOfTheirBoxes)
{
    MainContentComponent panel (factoryPreset());
    std::vector<juce::Rectangle<int>> before;

    for (auto* view : viewsOf (panel))
        before.push_back (view->getBounds());

    panel.setSize (500, 300);
    panel.setSize (1200, 900);

    auto views = viewsOf (panel);

    for (size_t i = 0; i < views.size(); ++i)
        EXPECT_EQ (views[i]->getBounds(), before[i]) << "view " << i;

    const auto expectCaptionLeftOf = [] (juce::Label& caption, juce::Component& box)
    {
        EXPECT_EQ (caption.getRight(), box.getX()) << caption.getText();
        EXPECT_EQ (caption.getY(), box.getY()) << caption.getText();
        EXPECT_EQ (caption.getHeight(), box.getHeight()) << caption.getText();
        EXPECT_GT (caption.getWidth(), 10) << caption.getText();
    };

    auto& knob = panel.getKnobView (0);
    expectCaptionLeftOf (knob.getCcLabel(), knob.getCcBox());
    expectCaptionLeftOf (knob.getChannelLabel(), knob.getChannelBox());
    EXPECT_EQ (knob.getCcBox().getBounds(), juce::Rectangle<int> (30, 0, 30, 14));
    EXPECT_EQ (knob.getChannelBox().getBounds(), juce::Rectangle<int> (30, 20, 30, 16));

    auto& button = panel.getSwitchView (0);
    expectCaptionLeftOf (button.getCcLabel(), button.getCcBox());
    expectCaptionLeftOf (button.getChannelLabel(), button.getChannelBox());
    EXPECT_EQ (button.getCcBox().getBounds(), juce::Rectangle<int> (30, 35, 30, 14));
    EXPECT_EQ (button.getChannelBox().getBounds(), juce::Rectangle<int> (30, 49, 30, 16));
    EXPECT_EQ (button.getTypeButton().getBounds(), juce::Rectangle<int> (0, 0, 53, 35));
}

TEST (Panel, PaintsEachButtonInItsTypesColourAndANumberInEveryBox)
{
    auto preset = factoryPreset();
    ASSERT_TRUE (preset->getSwitch (0)->setData ({ 0, 1, 1 })); // mute of strip 1 sends control changes
    MainContentComponent panel (preset);
    MessageLoop::drain();

    const auto painted = GuiTestSupport::snapshot (panel);
    const auto pixelOfButton = [&] (int switchView)
    {
        const auto corner = panel.getSwitchView (switchView).getPosition();
        return painted.getPixelAt (corner.x + 12, corner.y + 8);
    };
    const auto onColour = Pictures::switchOn().getPixelAt (12, 8);
    const auto offColour = Pictures::switchOff().getPixelAt (12, 8);
    ASSERT_NE (onColour, offColour);

    EXPECT_EQ (pixelOfButton (0), onColour);
    EXPECT_GT (onColour.getGreen(), onColour.getBlue() + 40) << "the on picture reads as orange";

    for (int i = 1; i < 24; ++i)
        EXPECT_EQ (pixelOfButton (i), offColour) << "switch view " << i;

    EXPECT_GT (offColour.getRed(), offColour.getGreen() + 80) << "the off picture reads as red";

    for (auto* view : viewsOf (panel))
    {
        for (auto* box : view->getChildren())
        {
            if (dynamic_cast<NumberBoxComponent<int>*> (box) != nullptr)
            {
                EXPECT_GT (
                    GuiTestSupport::countNearWhitePixels (painted, box->getBounds() + view->getPosition()), 4)
                    << "no number painted in a box of the view at " << view->getPosition().toString();
            }
        }
    }
}

TEST (Panel, LooksLikeTheReferencePictureWithTheFactoryPreset)
{
    MainContentComponent panel (factoryPreset());
    MessageLoop::drain();
    const auto painted = GuiTestSupport::snapshot (panel);

    const auto reference = HexFile::getTestDataFile ("golden/panel_factory.png");

    // KARVELO_UPDATE_GOLDEN=1 writes a new reference (and the screenshot in docs/) instead of comparing.
    if (juce::SystemStats::getEnvironmentVariable ("KARVELO_UPDATE_GOLDEN", {}).isNotEmpty())
    {
        for (auto file : { reference, reference.getParentDirectory()
                                          .getParentDirectory()
                                          .getParentDirectory()
                                          .getSiblingFile ("docs")
                                          .getChildFile ("panel.png") })
        {
            file.deleteFile();
            juce::FileOutputStream stream (file);
            ASSERT_TRUE (juce::PNGImageFormat().writeImageToStream (painted, stream));
        }

        GTEST_SKIP() << "reference written";
    }

    const auto expected = juce::ImageFileFormat::loadFrom (reference);
    ASSERT_TRUE (expected.isValid()) << "missing " << reference.getFullPathName().toStdString();
    ASSERT_EQ (expected.getBounds(), painted.getBounds());
    EXPECT_LT (meanDifference (painted, expected), 1.0);
}
