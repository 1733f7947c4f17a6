#include "MainContentComponent.h"

#include "Pictures.h"

namespace
{
constexpr int knobViewWidth = 100, knobViewHeight = 40;
constexpr int switchViewSize = 100;
constexpr int switchesPerRow = 8;
} // namespace

juce::Point<int> MainContentComponent::getKnobViewPosition (int index)
{
    return { firstStripX + (index / 3) * stripSpacing, 143 + (index % 3) * 95 };
}

juce::Point<int> MainContentComponent::getFaderViewPosition (int index)
{
    return { firstStripX + (index % 9) * stripSpacing, 635 };
}

juce::Point<int> MainContentComponent::getSwitchViewPosition (int index)
{
    return { firstStripX + (index % switchesPerRow) * stripSpacing, 375 + (index / switchesPerRow) * 62 };
}

int MainContentComponent::getPresetSwitchIndex (int switchViewIndex)
{
    if (switchViewIndex < switchesPerRow)
        return switchViewIndex; // mute

    if (switchViewIndex < 2 * switchesPerRow)
        return switchViewIndex + switchesPerRow; // solo: the preset's last row

    return switchViewIndex - switchesPerRow; // record-arm: the preset's middle row
}

MainContentComponent::MainContentComponent (KARVELOEditorPreset::Ptr presetToEdit)
    : preset (std::move (presetToEdit))
{
    jassert (preset != nullptr);

    for (int i = 0; i < KARVELOEditorPreset::numKnobs; ++i)
    {
        auto* view = knobViews.add (new KARVELOKnobView (preset->getKnob (i)));
        addAndMakeVisible (view);
        view->setSize (knobViewWidth, knobViewHeight);
    }

    setLookAndFeel (&lookAndFeel);

    for (int i = 0; i < KARVELOEditorPreset::numFaders; ++i)
    {
        auto* view = faderViews.add (new KARVELOKnobView (preset->getFader (i)));
        addAndMakeVisible (view);
        view->setSize (knobViewWidth, knobViewHeight);
    }

    // Switch rows are 62 px apart but a view's boxes reach 65 px down: each view goes behind those
    // made before it, so that a row's channel box lies over the button of the row below, and the
    // views' empty parts let clicks through.
    const auto firstSwitchViewZOrder = getNumChildComponents();

    for (int i = 0; i < KARVELOEditorPreset::numSwitches; ++i)
    {
        auto* view = switchViews.add (new KARVELOSwitchView (preset->getSwitch (getPresetSwitchIndex (i))));
        addAndMakeVisible (view, firstSwitchViewZOrder);
        view->setInterceptsMouseClicks (false, true);
        view->setSize (switchViewSize, switchViewSize);
    }

    setOpaque (true);
    setSize (width, height);
}

MainContentComponent::~MainContentComponent()
{
    setLookAndFeel (nullptr);
    switchViews.clear();
    faderViews.clear();
    knobViews.clear();
}

void MainContentComponent::paint (juce::Graphics& g)
{
    // A preset arriving dirties a hundred small areas across the panel. Drawn in one go under that
    // clip, the picture costs more in clipping than in pixels; drawn in bands, each band meets only
    // the few areas that cross it.
    const auto background = Pictures::hardwareBackground();
    const auto clip = g.getClipBounds().getIntersection (background.getBounds());
    constexpr int bandHeight = 8;
    for (int y = clip.getY(); y < clip.getBottom(); y += bandHeight)
    {
        const auto band = clip.withY (y).withHeight (juce::jmin (bandHeight, clip.getBottom() - y));

        if (g.clipRegionIntersects (band))
            g.drawImage (background, band.getX(), band.getY(), band.getWidth(), band.getHeight(), band.getX(),
                         band.getY(), band.getWidth(), band.getHeight());
    }
}

void MainContentComponent::resized()
{
    for (int i = 0; i < knobViews.size(); ++i)
        knobViews.getObjectPointerUnchecked (i)->setTopLeftPosition (getKnobViewPosition (i));

    for (int i = 0; i < faderViews.size(); ++i)
        faderViews.getObjectPointerUnchecked (i)->setTopLeftPosition (getFaderViewPosition (i));

    for (int i = 0; i < switchViews.size(); ++i)
        switchViews.getObjectPointerUnchecked (i)->setTopLeftPosition (getSwitchViewPosition (i));
}
