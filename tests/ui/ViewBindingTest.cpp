#include "GuiTestSupport.h"
#include "HexFile.h"
#include "MessageLoop.h"
#include "ui/MainContentComponent.h"
#include "ui/Pictures.h"

#include <gtest/gtest.h>

namespace
{
/** A panel on a preset, in a window, so that its boxes can be typed into as a user would. */
class ViewBindingTest : public ::testing::Test
{
protected:
    ViewBindingTest()
        : preset (new KARVELOEditorPreset())
    {
        const auto factory = HexFile::read ("factory_preset.hex");
        factoryBlock = ByteArray (factory.begin() + 7, 138);
        EXPECT_TRUE (preset->setData (factoryBlock));
        panel = std::make_unique<MainContentComponent> (preset);
        window = std::make_unique<GuiTestSupport::HostWindow> (*panel);
        MessageLoop::drain();
    }

    ~ViewBindingTest() override
    {
        window = nullptr;
        panel = nullptr;
    }

    static void enter (NumberBoxComponent<int>& box, const juce::String& text)
    {
        box.showEditor();
        auto* editor = box.getCurrentTextEditor();
        ASSERT_NE (editor, nullptr);
        editor->selectAll();
        GuiTestSupport::pressKey (*editor, juce::KeyPress (juce::KeyPress::deleteKey));
        GuiTestSupport::type (*editor, text);
        GuiTestSupport::pressKey (*editor, juce::KeyPress (juce::KeyPress::returnKey));
        MessageLoop::runUntil ([&] { return box.getCurrentTextEditor() == nullptr; });
    }

    /** A valid block that the views can show: channels 0-15, random numbers and types. */
    static ByteArray showableBlock (juce::Random& random)
    {
        ByteArray block;

        for (int i = 0; i < 138; ++i)
        {
            const bool isSwitch = i >= 66;
            const auto position = isSwitch ? (i - 66) % 3 : i % 2;

            if (position == 0)
                block.add (static_cast<juce::uint8> (random.nextInt (16)));
            else if (isSwitch && position == 1)
                block.add (static_cast<juce::uint8> (random.nextInt (2)));
            else
                block.add (static_cast<juce::uint8> (random.nextInt (128)));
        }

        return block;
    }

    KARVELOEditorPreset::Ptr preset;
    ByteArray factoryBlock;
    std::unique_ptr<MainContentComponent> panel;
    std::unique_ptr<GuiTestSupport::HostWindow> window;
};
} // namespace

TEST_F (ViewBindingTest, AStoreIntoThePresetShowsInEveryView)
{
    juce::Random random (57);
    const auto block = showableBlock (random);

    // What a reply from the controller does to the window's preset.
    ASSERT_TRUE (preset->setData (block));
    MessageLoop::drain();

    for (int i = 0; i < 24; ++i)
    {
        auto& view = panel->getKnobView (i);
        EXPECT_EQ (view.getChannelBox().getValue(), block[2 * i] + 1) << "knob view " << i;
        EXPECT_EQ (view.getCcBox().getValue(), block[2 * i + 1]) << "knob view " << i;
    }

    for (int i = 0; i < 9; ++i)
    {
        auto& view = panel->getFaderView (i);
        EXPECT_EQ (view.getChannelBox().getValue(), block[48 + 2 * i] + 1) << "fader view " << i;
        EXPECT_EQ (view.getCcBox().getValue(), block[49 + 2 * i]) << "fader view " << i;
    }

    for (int i = 0; i < 24; ++i)
    {
        auto& view = panel->getSwitchView (i);
        const auto offset = 66 + 3 * MainContentComponent::getPresetSwitchIndex (i);
        const bool controlChange = block[offset + 1] == 1;
        EXPECT_EQ (view.getChannelBox().getValue(), block[offset] + 1) << "switch view " << i;
        EXPECT_EQ (view.getTypeButton().getToggleState(), controlChange) << "switch view " << i;
        EXPECT_EQ (view.getTypeLabel().getText(), controlChange ? "CC" : "NOTE") << "switch view " << i;
        EXPECT_EQ (view.getCcLabel().getText(), controlChange ? "CC:" : "NT:") << "switch view " << i;
        EXPECT_EQ (view.getCcBox().getValue(), block[offset + 2]) << "switch view " << i;
    }
}

TEST_F (ViewBindingTest, AnEditInAViewChangesExactlyItsBytesOfTheBlock)
{
    const auto expectEdit = [&] (std::function<void()> edit, int offset, juce::uint8 value, const char* what)
    {
        auto expected = preset->getData();
        expected.set (offset, value);
        edit();
        MessageLoop::drain();
        EXPECT_EQ (preset->getData(), expected) << what;
    };

    expectEdit ([&] { enter (panel->getKnobView (5).getCcBox(), "99"); }, 11, 99, "knob view 5, CC");
    expectEdit ([&] { enter (panel->getKnobView (5).getChannelBox(), "16"); }, 10, 15,
                "knob view 5, channel 16");
    expectEdit ([&] { enter (panel->getFaderView (8).getChannelBox(), "3"); }, 64, 2,
                "master fader, channel 3");
    expectEdit ([&] { enter (panel->getSwitchView (8).getCcBox(), "77"); }, 66 + 3 * 16 + 2, 77,
                "screen switch 8");
    expectEdit ([&] { enter (panel->getSwitchView (16).getCcBox(), "66"); }, 66 + 3 * 8 + 2, 66,
                "screen switch 16");
    expectEdit ([&] { enter (panel->getSwitchView (23).getChannelBox(), "10"); }, 66 + 3 * 15, 9,
                "screen switch 23");
    expectEdit ([&] { panel->getSwitchView (8).getTypeButton().triggerClick(); }, 66 + 3 * 16 + 1, 1,
                "type of screen switch 8");
    expectEdit ([&] { panel->getSwitchView (16).getTypeButton().triggerClick(); }, 66 + 3 * 8 + 1, 1,
                "type of screen switch 16");
}

TEST_F (ViewBindingTest, ACcTypedIntoABoxIsHeldAsTextAndWrittenAsItsNumber)
{
    enter (panel->getKnobView (0).getCcBox(), "7");
    MessageLoop::drain();

    const auto held = preset->getKnob (0)->getParameterValue ("CC").getValue();
    EXPECT_TRUE (held.isString());
    EXPECT_EQ (held.toString(), "7");
    EXPECT_EQ (preset->getData()[1], 7);
}

TEST_F (ViewBindingTest, OutOfRangeEntriesNeverReachThePreset)
{
    const auto before = preset->getData();

    enter (panel->getKnobView (0).getCcBox(), "200");
    enter (panel->getKnobView (0).getChannelBox(), "17");
    enter (panel->getKnobView (1).getChannelBox(), "0");
    enter (panel->getSwitchView (0).getCcBox(), "-1");
    EXPECT_EQ (preset->getData(), before);

    MessageLoop::drain();
    EXPECT_EQ (preset->getData(), before);
    EXPECT_EQ (panel->getKnobView (0).getChannelBox().getValue(), 1);
    EXPECT_EQ (panel->getKnobView (0).getCcBox().getValue(), 16);
}

TEST_F (ViewBindingTest, ClickingTheButtonOrItsTextTogglesTheType)
{
    auto& view = panel->getSwitchView (0);
    auto control = view.getControl();
    control->setParameterValue ("TYPE", 1);
    MessageLoop::drain();
    EXPECT_EQ (view.getTypeLabel().getText(), "CC");

    // The click lands on the caption "CC", which lets it through to the button below.
    GuiTestSupport::click (view, { 26, 17 });
    MessageLoop::drain();
    EXPECT_EQ (static_cast<int> (control->getParameterValue ("TYPE").getValue()), 0);
    EXPECT_EQ (view.getTypeLabel().getText(), "NOTE");
    EXPECT_EQ (view.getCcLabel().getText(), "NT:");
    EXPECT_EQ (control->getData()[2], 1); // the note number stays

    GuiTestSupport::click (view, { 5, 5 });
    MessageLoop::drain();
    EXPECT_EQ (control->getData()[1], 1);
    EXPECT_EQ (view.getTypeLabel().getText(), "CC");
}

TEST (SwitchView, ShowsItsControlRightAfterConstruction)
{
    KARVELOSwitch::Ptr controlChange (new KARVELOSwitch()), note (new KARVELOSwitch());
    ASSERT_TRUE (controlChange->setData ({ 0, 1, 16 }));
    ASSERT_TRUE (note->setData ({ 3, 0, 60 }));

    KARVELOSwitchView ccView (controlChange), noteView (note);

    EXPECT_TRUE (ccView.getTypeButton().showsOnImage());
    EXPECT_EQ (ccView.getTypeLabel().getText(), "CC");
    EXPECT_EQ (ccView.getCcLabel().getText(), "CC:");
    EXPECT_EQ (ccView.getCcBox().getValue(), 16);
    EXPECT_EQ (ccView.getChannelBox().getValue(), 1);

    EXPECT_FALSE (noteView.getTypeButton().showsOnImage());
    EXPECT_EQ (noteView.getTypeLabel().getText(), "NOTE");
    EXPECT_EQ (noteView.getCcLabel().getText(), "NT:");
    EXPECT_EQ (noteView.getChannelBox().getValue(), 4);
}

TEST (KnobView, AChannelStoredRightAfterTheViewWasBuiltIsKept)
{
    KARVELOKnob::Ptr knob (new KARVELOKnob());
    KARVELOKnobView view (knob);

    // A preset arriving before the message loop has turned once (a file handed to a new window):
    // the box's own pending text notification must not write its old number back.
    ASSERT_TRUE (knob->setData ({ 7, 5 }));
    MessageLoop::drain();
    EXPECT_EQ (knob->getData(), (ByteArray{ 7, 5 }));
    EXPECT_EQ (view.getChannelBox().getValue(), 8);

    ASSERT_TRUE (knob->setData ({ 3, 5 }));
    ASSERT_TRUE (knob->setData ({ 11, 6 }));
    MessageLoop::drain();
    EXPECT_EQ (knob->getData(), (ByteArray{ 11, 6 }));
    EXPECT_EQ (view.getChannelBox().getValue(), 12);
}

TEST (KnobView, AChannelTheViewCannotShow)
{
    KARVELOKnob::Ptr knob (new KARVELOKnob());
    ASSERT_TRUE (knob->setData ({ 20, 5 }));

    // Present when the view is built: replaced by channel 1.
    KARVELOKnobView view (knob);
    EXPECT_EQ (knob->getData()[0], 0);
    MessageLoop::drain();
    EXPECT_EQ (view.getChannelBox().getValue(), 1);

    // Arriving later: the box keeps its number and the model its value.
    ASSERT_TRUE (knob->setData ({ 9, 5 }));
    MessageLoop::drain();
    EXPECT_EQ (view.getChannelBox().getValue(), 10);
    ASSERT_TRUE (knob->setData ({ 20, 5 }));
    MessageLoop::drain();
    EXPECT_EQ (view.getChannelBox().getValue(), 10);
    EXPECT_EQ (knob->getData()[0], 20);
}
