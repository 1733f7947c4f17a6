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

MainContentComponent::MainContentComponent (KARVELOEditorPreset::Ptr presetToEdit,
                                            PanelActivity::Timings timings)
    : preset (std::move (presetToEdit))
    , activity (*this, timings)
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

    // Tab follows the reading order: the views in it, then each view's number box above its
    // channel box. The panel keeps the focus to itself, and a click beside a box leaves it be.
    setFocusContainerType (FocusContainerType::keyboardFocusContainer);
    setMouseClickGrabsKeyboardFocus (false);
    const auto& controls = KARVELOControlMap::getControls();

    for (int i = 0; i < KARVELOControlMap::numControls; ++i)
    {
        auto& view = getViewOf (i);
        view.setExplicitFocusOrder (i + 1);
        view.setMouseClickGrabsKeyboardFocus (false);
        getBoxes (i).setCaption (controls[(size_t) i].getCaption());
    }

    conflictMarks = std::make_unique<ConflictMarks> (
        preset, [this] (int i) -> ControlNumberBoxes& { return getBoxes (i); });

    addMouseListener (&tooltips, true);
    setOpaque (true);
    setSize (width, height);
}

MainContentComponent::~MainContentComponent()
{
    if (keysHeardFrom != nullptr)
        keysHeardFrom->removeKeyListener (&windowKeys);

    removeMouseListener (&tooltips);
    conflictMarks.reset();
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
    const auto drawn = Pictures::forContext (g, background);
    const auto factor = drawn.getWidth() / background.getWidth();
    const auto clip = g.getClipBounds().getIntersection (background.getBounds());
    constexpr int bandHeight = 8;
    for (int y = clip.getY(); y < clip.getBottom(); y += bandHeight)
    {
        const auto band = clip.withY (y).withHeight (juce::jmin (bandHeight, clip.getBottom() - y));

        if (g.clipRegionIntersects (band))
            g.drawImage (drawn, band.getX(), band.getY(), band.getWidth(), band.getHeight(),
                         band.getX() * factor, band.getY() * factor, band.getWidth() * factor,
                         band.getHeight() * factor);
    }

    activity.paint (g);
}

void MainContentComponent::resized()
{
    for (int i = 0; i < knobViews.size(); ++i)
        knobViews.getObjectPointerUnchecked (i)->setTopLeftPosition (getKnobViewPosition (i));

    for (int i = 0; i < faderViews.size(); ++i)
        faderViews.getObjectPointerUnchecked (i)->setTopLeftPosition (getFaderViewPosition (i));

    for (int i = 0; i < switchViews.size(); ++i)
        switchViews.getObjectPointerUnchecked (i)->setTopLeftPosition (getSwitchViewPosition (i));

    for (int i = 0; i < KARVELOControlMap::numControls; ++i)
    {
        auto& boxes = getBoxes (i);
        const auto origin = getViewOf (i).getPosition();
        activity.setBoxAreas (i, boxes.getCcBox().getBounds() + origin,
                              boxes.getChannelBox().getBounds() + origin);
    }
}

void MainContentComponent::parentHierarchyChanged()
{
    // Keys the window hears while the focus is outside the panel (at first the window itself has
    // it) come here, so that Tab can enter the panel.
    auto* window = getTopLevelComponent();

    if (window == this)
        window = nullptr;

    if (window == keysHeardFrom.getComponent())
        return;

    if (keysHeardFrom != nullptr)
        keysHeardFrom->removeKeyListener (&windowKeys);

    keysHeardFrom = window;

    if (window != nullptr)
        window->addKeyListener (&windowKeys);
}

bool MainContentComponent::keyPressedInWindow (const juce::KeyPress& key)
{
    // A box with the focus takes its own keys, and Tab moves on from it through the framework.
    if (isParentOf (getCurrentlyFocusedComponent()))
        return false;

    if (key.isKeyCode (juce::KeyPress::tabKey))
    {
        const auto boxes = createKeyboardFocusTraverser()->getAllComponents (this);

        if (boxes.empty())
            return false;

        (key.getModifiers().isShiftDown() ? boxes.back() : boxes.front())->grabKeyboardFocus();
        return true;
    }

    if (const auto delta = NumberBoxComponent<int>::getStepFor (key); delta != 0)
    {
        auto* underMouse = juce::Desktop::getInstance().getMainMouseSource().getComponentUnderMouse();

        if (auto* box = dynamic_cast<NumberBoxComponent<int>*> (underMouse);
            box != nullptr && isParentOf (box) && ! box->isBeingEdited())
        {
            box->step (delta);
            return true;
        }
    }

    return false;
}

void MainContentComponent::TooltipsWhileHovered::mouseEnter (const juce::MouseEvent&)
{
    if (! window.has_value())
        window.emplace();
}

void MainContentComponent::TooltipsWhileHovered::mouseExit (const juce::MouseEvent& event)
{
    // Moving from one child to another leaves one and enters the next inside the panel.
    if (! panel.getLocalBounds().contains (event.getEventRelativeTo (&panel).getPosition()))
        window.reset();
}

juce::Component& MainContentComponent::getViewOf (int controlIndex)
{
    const auto& control = KARVELOControlMap::getControls()[(size_t) controlIndex];

    switch (control.kind)
    {
        case KARVELOControlMap::Kind::knob:
            return getKnobView (control.index);
        case KARVELOControlMap::Kind::fader:
            return getFaderView (control.index);
        case KARVELOControlMap::Kind::button:
            break;
    }

    // The screen's switch rows and the preset's swap the same way both ways.
    return getSwitchView (getPresetSwitchIndex (control.index));
}

ControlNumberBoxes& MainContentComponent::getBoxes (int controlIndex)
{
    const auto& control = KARVELOControlMap::getControls()[(size_t) controlIndex];

    if (control.kind == KARVELOControlMap::Kind::button)
        return getSwitchView (getPresetSwitchIndex (control.index)).getBoxes();

    return (control.kind == KARVELOControlMap::Kind::knob ? getKnobView (control.index)
                                                          : getFaderView (control.index))
        .getBoxes();
}

int MainContentComponent::getControlWithFocus()
{
    auto* focused = getCurrentlyFocusedComponent();

    if (focused == nullptr || ! isParentOf (focused))
        return -1;

    for (int i = 0; i < KARVELOControlMap::numControls; ++i)
        for (juce::Component* box : { &getBoxes (i).getCcBox(), &getBoxes (i).getChannelBox() })
            if (box == focused || box->isParentOf (focused))
                return i;

    return -1;
}

void MainContentComponent::setPowerLed (bool on)
{
    activity.setPowerOn (on);
}

void MainContentComponent::midiActivity()
{
    activity.midiActivity();
}

void MainContentComponent::showControlTouched (int controlIndex, int value)
{
    activity.touch (controlIndex, value);
}

juce::Array<int> MainContentComponent::showMessageReceived (const KARVELOControlMap::Message& message,
                                                            int value)
{
    // The table of who sends what follows the preset once a change has been checked.
    conflictMarks->checkNow();
    const auto controls = conflictMarks->findControlsSending (message);

    for (auto control : controls)
        activity.touch (control, value);

    return controls;
}
