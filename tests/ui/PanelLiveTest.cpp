#include "GuiTestSupport.h"
#include "HexFile.h"
#include "MessageLoop.h"
#include "ui/MainContentComponent.h"

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

int countPixels (const juce::Image& image, juce::Rectangle<int> area,
                 std::function<bool (juce::Colour)> matches)
{
    int count = 0;

    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            if (matches (image.getPixelAt (x, y)))
                ++count;

    return count;
}

bool isPink (juce::Colour c)
{
    return c.getRed() >= 200 && c.getGreen() <= 130 && c.getBlue() >= 100;
}

} // namespace

TEST (PanelLive, EveryBoxSaysWhatItSetsAndFollowsTheButtonsType)
{
    auto preset = factoryPreset();
    MainContentComponent panel (preset);
    GuiTestSupport::HostWindow window (panel);
    MessageLoop::drain();

    EXPECT_EQ (panel.getKnobView (7).getCcBox().getTooltip(),
               "Strip 3, row 2 knob: controller number, 0 to 127");
    EXPECT_EQ (panel.getKnobView (7).getChannelBox().getTooltip(),
               "Strip 3, row 2 knob: MIDI channel, 1 to 16");
    EXPECT_EQ (panel.getFaderView (8).getCcBox().getTooltip(), "Master fader: controller number, 0 to 127");
    EXPECT_EQ (panel.getSwitchView (16).getChannelBox().getTooltip(),
               "Strip 1 rec arm button: MIDI channel, 1 to 16");

    auto& mute = panel.getSwitchView (0);
    EXPECT_EQ (mute.getCcBox().getTooltip(), "Strip 1 mute button: note number, 0 to 127");
    GuiTestSupport::click (mute, { 5, 5 });
    MessageLoop::drain();
    EXPECT_EQ (mute.getCcBox().getTooltip(), "Strip 1 mute button: controller number, 0 to 127");

    // The tooltip window is there while the mouse is over the panel, and only then.
    const auto tooltipWindows = []
    {
        const juce::SharedResourcePointer<juce::TooltipWindow> counting;
        return counting.getReferenceCount() - 1;
    };
    GuiTestSupport::release (mute.getCcBox(), { 10, 6 });
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

TEST (PanelLive, ConflictMarksFollowEntriesTogglesAndBlocks)
{
    auto preset = factoryPreset();
    MainContentComponent panel (preset);
    GuiTestSupport::HostWindow window (panel);
    window.setWantsKeyboardFocus (false); // so that the window system's late focus stays in a box
    MessageLoop::drain();
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
    fader.grabKeyboardFocus();
    GuiTestSupport::pressKeyInWindow (panel, juce::KeyPress (juce::KeyPress::upKey));
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
}
