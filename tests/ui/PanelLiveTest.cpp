#include "PanelFixture.h"
#include "ui/Pictures.h"

namespace
{
using GuiTestSupport::factoryPreset;
using PanelLive = PanelFixture;

/** Notes the areas a component without a window asks to have repainted. */
struct RepaintRecorder : juce::CachedComponentImage
{
    void paint (juce::Graphics&) override {}
    bool invalidate (const juce::Rectangle<int>& area) override
    {
        areas.push_back (area);
        return false;
    }
    bool invalidateAll() override { return invalidate ({ 0, 0, 1 << 16, 1 << 16 }); }
    void releaseResources() override {}

    std::vector<juce::Rectangle<int>> areas;
};

/** Reading-order indices of the controls whose boxes are marked, checking that both boxes agree. */
std::vector<int> markedControls (MainContentComponent& panel)
{
    std::vector<int> marked;

    for (int i = 0; i < KARVELOControlMap::numControls; ++i)
    {
        auto& boxes = panel.getBoxes (i);
        EXPECT_EQ (boxes.getCcBox().isMarked(), boxes.getChannelBox().isMarked()) << "control " << i;

        if (boxes.getCcBox().isMarked())
            marked.push_back (i);
    }

    return marked;
}

using GuiTestSupport::countPixels;

bool isPink (juce::Colour c)
{
    return c.getRed() >= 200 && c.getGreen() <= 130 && c.getBlue() >= 100;
}

bool isCyan (juce::Colour c)
{
    return c.getRed() <= 150 && c.getGreen() >= 170 && c.getBlue() >= 200;
}

const juce::Point<int> midiLight{ 817, 306 }, powerLight{ 865, 306 };
} // namespace

TEST_F (PanelLive, MarksAndTooltips)
{
    EXPECT_TRUE (markedControls (panel).empty()) << "the factory preset sends every message once";

    // An entry: strip 5's fader (control 34) on the master fader's controller 62.
    auto& fader = panel.getFaderView (4).getCcBox();
    GuiTestSupport::enter (fader, "62");
    EXPECT_EQ (markedControls (panel), (std::vector<int>{ 34, 56 }));
    EXPECT_EQ (fader.getTooltip(), "Strip 5 fader: controller number, 0 to 127\nAlso sent by master fader");
    EXPECT_EQ (panel.getFaderView (8).getChannelBox().getTooltip(),
               "Master fader: MIDI channel, 1 to 16\nAlso sent by strip 5 fader");
    EXPECT_GT (countPixels (GuiTestSupport::snapshot (fader), fader.getLocalBounds(), isPink), 4);

    // A step away takes the marks off.
    GuiTestSupport::turnWheel (fader, { 10, 6 }, 1);
    MessageLoop::drain();
    EXPECT_TRUE (markedControls (panel).empty());
    EXPECT_EQ (fader.getTooltip(), "Strip 5 fader: controller number, 0 to 127");
    EXPECT_EQ (countPixels (GuiTestSupport::snapshot (fader), fader.getLocalBounds(), isPink), 0);

    // A type toggle: strip 6's mute button sends note 16, and as a controller button it sends what
    // strip 1's first knob sends.
    auto& mute = panel.getSwitchView (5);
    GuiTestSupport::click (mute, { 5, 5 });
    MessageLoop::drain();
    EXPECT_EQ (markedControls (panel), (std::vector<int>{ 0, 38 }));
    EXPECT_EQ (mute.getCcBox().getTooltip(),
               "Strip 6 mute button: controller number, 0 to 127\nAlso sent by strip 1 knob 1");
    GuiTestSupport::click (mute, { 5, 5 });
    MessageLoop::drain();
    EXPECT_TRUE (markedControls (panel).empty());

    // A block stored (a reply, a file, an undo) is checked once it has been stored; beyond three
    // names, the other controls are counted.
    auto block = preset->getData();

    for (int knob = 0; knob < 6; ++knob)
        block.set (2 * knob + 1, 100);

    ASSERT_TRUE (preset->setData (block));
    EXPECT_TRUE (panel.isConflictCheckPending());
    MessageLoop::drain();
    EXPECT_FALSE (panel.isConflictCheckPending());
    EXPECT_EQ (markedControls (panel), (std::vector<int>{ 0, 1, 2, 7, 8, 9 }));
    EXPECT_EQ (panel.getKnobView (0).getChannelBox().getTooltip(),
               "Strip 1, row 1 knob: MIDI channel, 1 to 16\n"
               "Also sent by strip 1 knob 2, strip 1 knob 3, strip 2 knob 1 and 2 more controls");
    EXPECT_EQ (panel.getConflicts().getNumConflictingControls(), 6);

    ASSERT_TRUE (preset->setData (factoryPreset()->getData()));
    MessageLoop::drain();
    EXPECT_TRUE (markedControls (panel).empty());

    EXPECT_EQ (panel.getKnobView (7).getChannelBox().getTooltip(),
               "Strip 3, row 2 knob: MIDI channel, 1 to 16");
    auto& firstMute = panel.getSwitchView (0);
    EXPECT_EQ (firstMute.getCcBox().getTooltip(), "Strip 1 mute button: note number, 0 to 127");
    GuiTestSupport::click (firstMute, { 5, 5 });
    MessageLoop::drain();
    EXPECT_EQ (firstMute.getCcBox().getTooltip(), "Strip 1 mute button: controller number, 0 to 127");

    // The tooltip window is there while the mouse is over the panel, and only then.
    const auto tooltipWindows = []
    {
        const juce::SharedResourcePointer<juce::TooltipWindow> counting;
        return counting.getReferenceCount() - 1;
    };
    GuiTestSupport::release (firstMute.getCcBox(), { 10, 6 });
    EXPECT_EQ (tooltipWindows(), 1);
    GuiTestSupport::release (panel.getKnobView (7).getChannelBox(), { 10, 6 });
    EXPECT_EQ (tooltipWindows(), 1);
    GuiTestSupport::release (panel, { -20, -20 });
    EXPECT_EQ (tooltipWindows(), 0);

    // Every box has one, naming its control.
    for (int i = 0; i < KARVELOControlMap::numControls; ++i)
        for (auto* box : { &panel.getBoxes (i).getCcBox(), &panel.getBoxes (i).getChannelBox() })
            EXPECT_TRUE (box->getTooltip().startsWith (
                KARVELOControlMap::getControls()[(size_t) i].getCaption() + ": "));
}

TEST (PanelLights, Fade)
{
    MainContentComponent panel (factoryPreset(), { 40, 80, 80, 5 });
    auto* repaints = new RepaintRecorder();
    panel.setCachedComponentImage (repaints);
    panel.setVisible (true);
    MessageLoop::drain();
    const auto& activity = panel.getActivity();
    const auto picture = Pictures::hardwareBackground();
    const auto shownAt = [&panel] (juce::Point<int> p)
    { return GuiTestSupport::snapshot (panel).getPixelAt (p.x, p.y); };
    const auto repainted = [&repaints] (std::vector<juce::Rectangle<int>> areas)
    {
        const auto seen = repaints->areas;
        repaints->areas.clear();
        return seen == areas;
    };

    // Off is the picture as it is, which shows both lights dark; POWER lit is green, MIDI lit
    // amber. Each repaints its light only.
    EXPECT_EQ (shownAt (powerLight), picture.getPixelAt (powerLight.x, powerLight.y));
    EXPECT_LT (shownAt (powerLight).getGreen(), 100) << "a window without ports must not look connected";
    repaints->areas.clear();
    panel.setPowerLed (true);
    EXPECT_TRUE (repainted ({ PanelActivity::getLightArea (true) }));
    const auto power = shownAt (powerLight);
    EXPECT_TRUE (power.getGreen() >= 200 && power.getRed() <= 150) << power.toDisplayString (false);
    panel.setPowerLed (false);
    panel.setPowerLed (false);
    EXPECT_TRUE (repainted ({ PanelActivity::getLightArea (true) }));
    EXPECT_EQ (shownAt (powerLight), picture.getPixelAt (powerLight.x, powerLight.y));

    // A flood of messages: MIDI lights once, at the next frame, goes out after the flash and then
    // nothing runs.
    EXPECT_EQ (shownAt (midiLight), picture.getPixelAt (midiLight.x, midiLight.y));

    for (int i = 0; i < 10000; ++i)
        panel.midiActivity();

    EXPECT_TRUE (activity.isMidiLit() && activity.isAnimating());
    EXPECT_TRUE (repainted ({}));
    const auto midi = shownAt (midiLight);
    EXPECT_TRUE (midi.getRed() >= 200 && midi.getBlue() <= 100) << midi.toDisplayString (false);
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return ! activity.isAnimating(); }));
    EXPECT_FALSE (activity.isMidiLit());
    EXPECT_TRUE (repainted ({ PanelActivity::getLightArea (false), PanelActivity::getLightArea (false) }));
    EXPECT_EQ (shownAt (midiLight), picture.getPixelAt (midiLight.x, midiLight.y));

    // What strip 3's second knob sends (controller 25, channel 1) touches it, and nothing else.
    EXPECT_EQ (panel.showMessageReceived ({ 0, false, 25 }, 100), juce::Array<int> ({ 15 }));
    EXPECT_TRUE (panel.showMessageReceived ({ 1, false, 25 }, 100).isEmpty());
    EXPECT_TRUE (panel.showMessageReceived ({ 0, true, 25 }, 100).isEmpty());
    EXPECT_EQ (activity.getTouchLevel (15), 1.0f);
    EXPECT_EQ (activity.getTouchedValue (15), 100);
    EXPECT_EQ (activity.getTouchLevel (14), 0.0f);
    EXPECT_TRUE (repainted ({}));

    // It fades, repainting only where the knob's arc and boxes are, and then all is quiet.
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return ! activity.isAnimating(); }));
    EXPECT_EQ (activity.getTouchLevel (15), 0.0f);
    EXPECT_EQ (activity.getTouchedValue (15), -1);
    const auto touchedArea = PanelActivity::getValueArea (15).getUnion (panel.getKnobView (7).getBounds());
    EXPECT_FALSE (repaints->areas.empty());

    for (auto& area : repaints->areas)
        EXPECT_TRUE (touchedArea.contains (area)) << area.toString();

    repaints->areas.clear();
    MessageLoop::runFor (100);
    EXPECT_TRUE (repaints->areas.empty()) << "nothing is repainted once everything has faded";
}

TEST (PanelLights, Picture)
{
    // A knob and a fader just touched.
    MainContentComponent panel (factoryPreset(), { 100, 60000, 500, 16 });
    GuiTestSupport::HostWindow window (panel);
    MessageLoop::drain();

    panel.showMessageReceived ({ 0, false, 25 }, 100); // strip 3 knob 2
    panel.showControlTouched (13, 80);                 // strip 2 fader
    MessageLoop::runFor (50);
    const auto image = GuiTestSupport::snapshot (panel);

    // The arc runs from the lowest mark clockwise to 100/127 of 300 degrees: it passes 60 degrees
    // right of the top, and stops short of 120.
    const juce::Point<float> knob (316.0f, 208.0f);
    const auto onArc = [&] (float degrees)
    {
        const auto p = knob.getPointOnCircumference (24.5f, juce::degreesToRadians (degrees)).roundToInt();
        return countPixels (image, juce::Rectangle<int> (3, 3).withCentre (p), isCyan);
    };
    EXPECT_GT (onArc (60.0f), 0);
    EXPECT_EQ (onArc (120.0f), 0);

    // The fader's bar reaches 80/127 of its slot, from the bottom.
    const auto barX = 148 + 84 + 22;
    EXPECT_TRUE (isCyan (image.getPixelAt (barX, 628 - 30)));
    EXPECT_FALSE (isCyan (image.getPixelAt (barX, 628 - 45)));
}
