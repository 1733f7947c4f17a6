#include "PanelFixture.h"

using ViewBindingTest = PanelFixture;

TEST_F (ViewBindingTest, StoreShowsEverywhere)
{
    // A block the views can show (channels 0-15, types 0 or 1, any numbers), stored as a reply from
    // the controller is. Buttons that stay notes show that the views read their type at
    // construction, when binding "TYPE" calls nobody.
    juce::Random random (57);
    ByteArray block;

    for (int i = 0; i < 138; ++i)
    {
        const auto position = i >= 66 ? (i - 66) % 3 : i % 2;
        block.add (static_cast<juce::uint8> (random.nextInt (position == 0              ? 16
                                                             : i >= 66 && position == 1 ? 2
                                                                                        : 128)));
    }

    ASSERT_TRUE (preset->setData (block));
    MessageLoop::drain();

    for (int i = 0; i < 33; ++i)
    {
        auto& view = i < 24 ? panel.getKnobView (i) : panel.getFaderView (i - 24);
        EXPECT_EQ (view.getChannelBox().getValue(), block[2 * i] + 1) << "knob or fader view " << i;
        EXPECT_EQ (view.getCcBox().getValue(), block[2 * i + 1]) << "knob or fader view " << i;
    }

    for (int i = 0; i < 24; ++i)
    {
        auto& view = panel.getSwitchView (i);
        const auto offset = 66 + 3 * MainContentComponent::getPresetSwitchIndex (i);
        const bool controlChange = block[offset + 1] == 1;
        EXPECT_EQ (view.getChannelBox().getValue(), block[offset] + 1) << "switch view " << i;
        EXPECT_EQ (view.getTypeButton().showsOnImage(), controlChange) << "switch view " << i;
        EXPECT_EQ (view.getTypeLabel().getText() + view.getCcLabel().getText(),
                   controlChange ? "CCCC:" : "NOTENT:");
        EXPECT_EQ (view.getCcBox().getValue(), block[offset + 2]) << "switch view " << i;
    }
}

TEST_F (ViewBindingTest, EditChangesItsByte)
{
    const std::tuple<NumberBoxComponent<int>*, const char*, int, int> entries[] = {
        { &panel.getKnobView (5).getCcBox(), "99", 11, 99 },
        { &panel.getKnobView (5).getChannelBox(), "16", 10, 15 },    // channels are stored from 0
        { &panel.getFaderView (8).getChannelBox(), "3", 64, 2 },     // the master fader
        { &panel.getSwitchView (8).getCcBox(), "77", 114 + 2, 77 },  // screen row SOLO: preset switch 16
        { &panel.getSwitchView (16).getCcBox(), "66", 90 + 2, 66 },  // screen row REC ARM: preset switch 8
        { &panel.getSwitchView (23).getChannelBox(), "10", 111, 9 }, // preset switch 15
    };

    for (auto [box, text, offset, stored] : entries)
    {
        auto expected = preset->getData();
        expected.set (offset, static_cast<juce::uint8> (stored));
        GuiTestSupport::enter (*box, text);
        EXPECT_EQ (preset->getData(), expected) << "after entering " << text;
    }

    // The box's text is what the model holds: the byte is its number.
    EXPECT_EQ (preset->getKnob (5)->getParameterValue ("CC").getValue(), juce::var ("99"));

    // The type button, also through the text "NOTE", which lets the click through.
    auto& view = panel.getSwitchView (8);
    ASSERT_EQ (view.getControl().get(), preset->getSwitch (16).get());

    for (auto [at, type, texts] : { std::tuple (juce::Point<int> (26, 17), 1, "CCCC:"),
                                    std::tuple (juce::Point<int> (5, 5), 0, "NOTENT:") })
    {
        GuiTestSupport::click (view, at);
        MessageLoop::drain();
        EXPECT_EQ (view.getControl()->getData(), (ByteArray{ 0, (juce::uint8) type, 77 }));
        EXPECT_EQ (view.getTypeLabel().getText() + view.getCcLabel().getText(), texts);
    }

    // The MUTE row's channel box reaches 3 px into the SOLO row's button: a click on the box's last
    // line edits the channel and leaves that button alone.
    auto& box = panel.getSwitchView (0).getChannelBox();
    GuiTestSupport::click (panel, panel.getLocalPoint (&box, juce::Point<int> (10, box.getHeight() - 1)));
    EXPECT_TRUE (box.isBeingEdited());
    EXPECT_EQ (view.getControl()->getData(), (ByteArray{ 0, 0, 77 }));
}

TEST_F (ViewBindingTest, ArrivingPresetWinsOverTyping)
{
    // Every kind of box, typed into while a preset is stored into the model, as a reply from the
    // controller or an opened file is: one that changes the box's number, or (-1) one that brings
    // the number the box already holds.
    const std::tuple<NumberBoxComponent<int>*, const char*, int, int, int> entries[] = {
        { &panel.getKnobView (5).getCcBox(), "99", 11, 40, 0 },
        { &panel.getFaderView (8).getChannelBox(), "3", 64, 7, 1 },    // shown from 1
        { &panel.getSwitchView (8).getCcBox(), "77", 114 + 2, 90, 0 }, // preset switch 16
        { &panel.getKnobView (0).getCcBox(), "99", 1, -1, 0 },
        { &panel.getSwitchView (23).getChannelBox(), "10", 111, -1, 1 }, // preset switch 15
    };

    for (auto [box, typed, offset, arriving, shownFrom] : entries)
    {
        GuiTestSupport::click (*box, { 10, 6 });
        ASSERT_TRUE (box->isBeingEdited());
        GuiTestSupport::type (*box->getCurrentTextEditor(), typed);
        auto block = preset->getData();

        if (arriving >= 0)
            block.set (offset, static_cast<juce::uint8> (arriving));

        ASSERT_TRUE (preset->setData (block));
        MessageLoop::drain();

        NumberBoxComponent<int>::commitEditsWithin (panel); // what Save and Send do first
        MessageLoop::drain();
        EXPECT_FALSE (box->isBeingEdited()) << "typing " << typed;
        EXPECT_EQ (box->getValue(), block[offset] + shownFrom) << "typing " << typed;
        EXPECT_EQ (preset->getData(), block) << "typing " << typed;
    }
}

TEST_F (ViewBindingTest, OddChannelKeptAndWarned)
{
    auto block = preset->getData();
    block.set (0, 16);    // knob 0: channel 17
    block.set (111, 127); // preset switch 15, switch view 23: channel 128
    ASSERT_TRUE (preset->setData (block));
    MessageLoop::drain();
    MainContentComponent newWindowsPanel (preset);
    MessageLoop::drain();
    EXPECT_EQ (preset->getData(), block) << "the bytes were changed without the user";

    const auto amberPixels = [] (juce::Component& box)
    {
        return GuiTestSupport::countPixels (GuiTestSupport::snapshot (box), box.getLocalBounds(),
                                            [] (juce::Colour c) {
                                                return c.getRed() >= 200 && c.getBlue() <= 100
                                                       && c.getGreen() >= 100 && c.getGreen() <= 220;
                                            });
    };

    for (auto* shown : { &panel, &newWindowsPanel })
    {
        for (auto [box, number] : { std::pair (&shown->getKnobView (0).getChannelBox(), 17),
                                    std::pair (&shown->getSwitchView (23).getChannelBox(), 128) })
        {
            EXPECT_EQ (box->getValue(), number);
            EXPECT_EQ (box->getTooltip(),
                       "MIDI channel " + juce::String (number)
                           + " is outside 1 to 16: type a channel from 1 to 16 to replace it");
            EXPECT_GT (amberPixels (*box), 4);
            EXPECT_EQ (
                GuiTestSupport::countNearWhitePixels (GuiTestSupport::snapshot (*box), box->getLocalBounds()),
                0);
        }
    }

    // Opened and taken unchanged (as Save takes it), or given a channel out of range: kept.
    auto& box = panel.getKnobView (0).getChannelBox();
    GuiTestSupport::click (box, { 10, 6 });
    ASSERT_TRUE (box.isBeingEdited());
    NumberBoxComponent<int>::commitEditsWithin (panel);
    MessageLoop::drain();
    GuiTestSupport::enter (box, "17");
    EXPECT_EQ (preset->getData(), block);
    EXPECT_EQ (box.getValue(), 17);

    // A channel from 1 to 16 replaces it.
    GuiTestSupport::enter (box, "5");
    block.set (0, 4);
    EXPECT_EQ (preset->getData(), block);
    EXPECT_EQ (newWindowsPanel.getKnobView (0).getChannelBox().getValue(), 5);
    EXPECT_EQ (box.getTooltip(), "Strip 1, row 1 knob: MIDI channel, 1 to 16");
    EXPECT_EQ (amberPixels (box), 0);
    EXPECT_GT (GuiTestSupport::countNearWhitePixels (GuiTestSupport::snapshot (box), box.getLocalBounds()),
               4);
}

TEST (KnobView, KeepsEarlyChannel)
{
    KARVELOKnob::Ptr knob (new KARVELOKnob());
    KARVELOKnobView view (knob);

    // Presets arriving before the message loop turned (a file handed to a new window, two loads in
    // quick succession): the box's pending notifications must not write an old channel back.
    ASSERT_TRUE (knob->setData ({ 7, 5 }));
    ASSERT_TRUE (knob->setData ({ 11, 6 }));
    MessageLoop::drain();
    EXPECT_EQ (knob->getData(), (ByteArray{ 11, 6 }));
    EXPECT_EQ (view.getChannelBox().getValue(), 12);
}
