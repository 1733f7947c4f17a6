#include "PanelFixture.h"

namespace
{
/** Counts the stores into a model value: what the window's undo history and unsaved-edits state hear. */
struct StoreCounter : juce::Value::Listener
{
    explicit StoreCounter (juce::Value shared)
        : value (shared)
    {
        value.addListener (this);
    }
    ~StoreCounter() override { value.removeListener (this); }
    void valueChanged (juce::Value&) override { ++stores; }

    juce::Value value;
    int stores = 0;
};

class PanelKeyboardTest : public PanelFixture
{
protected:
    /** Every box in the order a reader meets them, found from the views' places on screen: strip by
        strip, the three knobs, the mute, solo and record-arm buttons and the fader; master last. */
    std::vector<NumberBoxComponent<int>*> boxesInReadingOrder()
    {
        std::vector<NumberBoxComponent<int>*> boxes;
        const auto add = [&] (auto& view)
        {
            boxes.push_back (&view.getCcBox());
            boxes.push_back (&view.getChannelBox());
        };

        for (int strip = 0; strip < 8; ++strip)
        {
            for (int row = 0; row < 3; ++row)
                add (panel.getKnobView (strip * 3 + row));

            for (int row = 0; row < 3; ++row)
                add (panel.getSwitchView (row * 8 + strip));

            add (panel.getFaderView (strip));
        }

        add (panel.getFaderView (8));
        return boxes;
    }

    static int ringPixels (juce::Component& box)
    {
        return GuiTestSupport::countPixels (GuiTestSupport::snapshot (box), box.getLocalBounds(),
                                            [] (juce::Colour c)
                                            { return c.getBlue() >= 200 && c.getRed() <= 160; });
    }
};
} // namespace

TEST_F (PanelKeyboardTest, StepTabAndEdit)
{
    auto& view = panel.getKnobView (4); // strip 2, row 2: CC 21 on channel 1
    auto& cc = view.getCcBox();
    auto& channel = view.getChannelBox();
    StoreCounter ccStores (preset->getKnob (4)->getParameterValue ("CC")),
        channelStores (preset->getKnob (4)->getParameterValue ("MIDI CHANNEL"));

    // With the focus: each key one entry, one store into the model; none at an end of the range.
    cc.grabKeyboardFocus();
    using K = juce::KeyPress;
    int expectedStores = 0;

    for (auto [code, expected] :
         { std::pair (K::upKey, 22), std::pair (K::downKey, 21), std::pair (K::pageUpKey, 31),
           std::pair (K::pageDownKey, 21), std::pair (K::pageDownKey, 11), std::pair (K::pageDownKey, 1),
           std::pair (K::pageDownKey, 0), std::pair (K::downKey, 0) })
    {
        const auto before = cc.getValue();
        press (key (code));
        expectedStores += expected != before ? 1 : 0;
        EXPECT_EQ (cc.getValue(), expected);
        EXPECT_EQ (preset->getKnob (4)->getData()[1], expected);
        EXPECT_EQ (ccStores.stores, expectedStores);
    }

    EXPECT_FALSE (cc.isBeingEdited()) << "stepping is not typing";

    // The wheel over a box, focused or not: one step a notch, the channel shown from 1 to 16.
    for (auto [notches, stored] :
         { std::pair (1, 1), std::pair (1, 2), std::pair (1, 3), std::pair (20, 15) })
    {
        GuiTestSupport::turnWheel (channel, { 10, 8 }, notches);
        MessageLoop::drain();
        EXPECT_EQ (channel.getValue(), 1 + stored);
        EXPECT_EQ (preset->getKnob (4)->getData()[0], stored);
        EXPECT_TRUE (notches > 1 || channelStores.stores == stored);
    }

    // The window's own keys pass through a focused box.
    struct Heard : juce::KeyListener
    {
        bool keyPressed (const juce::KeyPress& k, juce::Component*) override
        {
            keys.add (k);
            return true;
        }
        juce::Array<juce::KeyPress> keys;
    } windowKeys;
    window.addKeyListener (&windowKeys);
    press (key ('s', juce::ModifierKeys::ctrlModifier));
    press (key (juce::KeyPress::upKey, juce::ModifierKeys::ctrlModifier));
    window.removeKeyListener (&windowKeys);
    EXPECT_EQ (windowKeys.keys.size(), 2);
    EXPECT_EQ (cc.getValue(), 0);

    // Without a focused box in the panel, the keys step the box under the mouse.
    juce::Component::unfocusAllComponents();
    ASSERT_FALSE (panel.hasKeyboardFocus (true));
    GuiTestSupport::release (channel, { 10, 8 });
    press (key (juce::KeyPress::pageDownKey));
    EXPECT_EQ (channel.getValue(), 6);

    // A drag up 20 pixels is five steps, shown as it goes and taken as one entry on release; a plain
    // click still opens the editor.
    const auto storesBefore = ccStores.stores;
    GuiTestSupport::drag (cc, { 10, 8 }, { 12, 8 - 5 * NumberBoxComponent<int>::dragPixelsPerStep });
    MessageLoop::drain();
    EXPECT_EQ (cc.getValue(), 5);
    EXPECT_EQ (ccStores.stores, storesBefore + 1);
    EXPECT_FALSE (cc.isBeingEdited());
    GuiTestSupport::click (cc, { 10, 8 });
    EXPECT_TRUE (cc.isBeingEdited());

    // A channel outside 1 to 16 from a file steps into the range, by key or by wheel.
    auto block = preset->getData();
    block.set (0, 19);  // strip 1 knob 1 on channel 20
    block.set (48, 19); // strip 1 fader too
    ASSERT_TRUE (preset->setData (block));
    MessageLoop::drain();
    auto& knobChannel = panel.getKnobView (0).getChannelBox();
    ASSERT_EQ (knobChannel.getValue(), 20);
    knobChannel.grabKeyboardFocus();
    press (key (juce::KeyPress::upKey));
    EXPECT_EQ (preset->getKnob (0)->getData()[0], 15);
    GuiTestSupport::turnWheel (panel.getFaderView (0).getChannelBox(), { 10, 8 }, -1);
    MessageLoop::drain();
    EXPECT_EQ (preset->getFader (0)->getData()[0], 14);
    EXPECT_EQ (panel.getFaderView (0).getChannelBox().getTooltip(), "Strip 1 fader: MIDI channel, 1 to 16");

    // Tab walks every box in reading order.
    const auto order = boxesInReadingOrder();
    ASSERT_EQ (order.size(), 114u);

    // Tab from the window enters at the first box; Tab in a box's editor takes the entry and moves on.
    juce::Component::unfocusAllComponents();
    press (key (juce::KeyPress::tabKey));

    for (size_t i = 0; i < order.size(); ++i)
    {
        ASSERT_TRUE (order[i]->hasKeyboardFocus (false)) << "box " << i;
        EXPECT_FALSE (order[i]->isBeingEdited());
        press (key (juce::KeyPress::tabKey));
    }

    EXPECT_TRUE (order.front()->hasKeyboardFocus (false));
    press (key (juce::KeyPress::tabKey, juce::ModifierKeys::shiftModifier));
    EXPECT_TRUE (order.back()->hasKeyboardFocus (false));
    EXPECT_EQ (panel.getControlWithFocus(), 56);
    press (key (juce::KeyPress::tabKey, juce::ModifierKeys::shiftModifier));
    EXPECT_TRUE (order[order.size() - 2]->hasKeyboardFocus (false));

    juce::Component::unfocusAllComponents();
    press (key (juce::KeyPress::tabKey, juce::ModifierKeys::shiftModifier));
    EXPECT_TRUE (order.back()->hasKeyboardFocus (false));

    auto& solo = *order[2 * 4]; // strip 1 solo button: its note number
    solo.grabKeyboardFocus();
    press (juce::KeyPress ('4', {}, '4'));
    ASSERT_TRUE (solo.isBeingEdited()) << "a digit starts an entry with itself";
    GuiTestSupport::type (*solo.getCurrentTextEditor(), "2");
    press (key (juce::KeyPress::tabKey));
    EXPECT_EQ (solo.getValue(), 42);
    EXPECT_EQ (preset->getSwitch (16)->getData()[2], 42);
    EXPECT_TRUE (order[2 * 4 + 1]->hasKeyboardFocus (false));
    EXPECT_EQ (panel.getControlWithFocus(), 4);

    // The focused box wears a ring; Return and F2 open its editor, Escape leaves it unchanged.
    auto& box = panel.getFaderView (8).getCcBox();
    EXPECT_EQ (ringPixels (box), 0);
    box.grabKeyboardFocus();
    MessageLoop::drain();
    EXPECT_GT (ringPixels (box), 20);

    for (auto opening : { juce::KeyPress::returnKey, juce::KeyPress::F2Key })
    {
        press (key (opening));
        ASSERT_TRUE (box.isBeingEdited());
        EXPECT_EQ (box.getCurrentTextEditor()->getHighlightedRegion(), juce::Range<int> (0, 2));
        GuiTestSupport::type (*box.getCurrentTextEditor(), "9");
        GuiTestSupport::pressKey (*box.getCurrentTextEditor(), juce::KeyPress (juce::KeyPress::escapeKey));
        MessageLoop::drain();
        EXPECT_FALSE (box.isBeingEdited());
        EXPECT_TRUE (box.hasKeyboardFocus (false)) << "Escape returns to the focused box";
        EXPECT_EQ (box.getValue(), 62);
    }

    press (key (juce::KeyPress::returnKey));
    GuiTestSupport::type (*box.getCurrentTextEditor(), "99");
    GuiTestSupport::pressKey (*box.getCurrentTextEditor(), juce::KeyPress (juce::KeyPress::returnKey));
    MessageLoop::drain();
    EXPECT_EQ (preset->getFader (8)->getData()[1], 99);
    EXPECT_TRUE (box.hasKeyboardFocus (false));
    EXPECT_GT (ringPixels (box), 20);
    EXPECT_EQ (ringPixels (panel.getFaderView (7).getCcBox()), 0);
}
