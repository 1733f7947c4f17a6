#include "GuiTestSupport.h"
#include "HexFile.h"
#include "MessageLoop.h"
#include "ui/AboutComponent.h"
#include "ui/CustomLookForAuxiliaryWindows.h"
#include "ui/ImageToggleButton.h"
#include "ui/MainContentComponent.h"
#include "ui/Pictures.h"
#include "ui/ReferenceCountedImageButton.h"

#include <gtest/gtest.h>

namespace
{
using GuiTestSupport::countPixels;
using K = juce::KeyPress;

/** A panel on the factory preset in a window, driven with keys, wheel and mouse through the window. */
class Panel
    : public ::testing::Test
    , protected NumberBoxComponent<int>::Listener
{
protected:
    Panel()
    {
        // The window system's late word that the window has the focus would otherwise take it from
        // a box to the window; keys then go where they go when nothing has the focus: the window.
        window.setWantsKeyboardFocus (false);
        cc.addListener (this);
        channel.addListener (this);
        MessageLoop::drain();
    }

    void press (int code, juce::ModifierKeys modifiers = {}, juce::juce_wchar character = 0)
    {
        GuiTestSupport::pressKeyInWindow (panel, K (code, modifiers, character));
        MessageLoop::drain();
    }

    /** Reading-order indices of the controls, once for each of its boxes that is marked. */
    std::vector<int> markedControls()
    {
        std::vector<int> marked;

        for (int i = 0; i < KARVELOControlMap::numControls; ++i)
            for (auto* box : { &panel.getBoxes (i).getCcBox(), &panel.getBoxes (i).getChannelBox() })
                if (box->isMarked())
                    marked.push_back (i);

        return marked;
    }

    void numberBoxValueChanged (NumberBoxComponent<int>* box) override { heard.push_back (box->getValue()); }

    std::vector<int> heard;
    KARVELOEditorPreset::Ptr preset = GuiTestSupport::factoryPreset();
    MainContentComponent panel{ preset };
    GuiTestSupport::HostWindow window{ panel };
    NumberBoxComponent<int>& cc = panel.getKnobView (4).getCcBox(); // strip 2, row 2: CC 21 on channel 1
    NumberBoxComponent<int>& channel = panel.getKnobView (4).getChannelBox();
};

using NumberBoxTest = Panel;
using ViewBindingTest = Panel;

const auto isAmber = [] (auto c) { return c.getRed() >= 200 && c.getGreen() >= 100 && c.getBlue() <= 100; };
const auto isPink = [] (auto c) { return c.getRed() >= 200 && c.getGreen() <= 130 && c.getBlue() >= 100; };
const auto isCyan = [] (auto c) { return c.getRed() <= 150 && c.getGreen() >= 170 && c.getBlue() >= 200; };
const auto isRing = [] (juce::Colour c) { return c.getBlue() >= 200 && c.getRed() <= 160; };

/** The mean difference per channel, alpha included, between two pictures of one size over an area. */
double difference (const juce::Image& painted, const juce::Image& expected, juce::Rectangle<int> area)
{
    double sum = painted.getBounds() == expected.getBounds() ? 0.0 : 1.0e9;

    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
        {
            const auto p = painted.getPixelAt (x, y), q = expected.getPixelAt (x, y);
            sum += std::abs (p.getRed() - q.getRed()) + std::abs (p.getGreen() - q.getGreen())
                   + std::abs (p.getBlue() - q.getBlue()) + std::abs (p.getAlpha() - q.getAlpha());
        }

    return sum / (4.0 * area.getWidth() * area.getHeight());
}
} // namespace

TEST_F (NumberBoxTest, RefusedKeysKeepSelection)
{
    EXPECT_GT (countPixels (cc, GuiTestSupport::isNearWhite), 5);

    // A click selects the number; a letter, a blank or a paste with nothing allowed in it must not
    // erase it, or Return would then take the empty entry as 0. The painted number hides meanwhile.
    GuiTestSupport::click (cc, { 10, 8 });
    ASSERT_NE (cc.getCurrentTextEditor(), nullptr);
    auto& editor = *cc.getCurrentTextEditor();
    GuiTestSupport::type (editor, "a ");
    editor.insertTextAtCaret ("xyz");
    EXPECT_EQ (editor.getText(), "21");
    EXPECT_EQ (editor.getHighlightedRegion(), juce::Range<int> (0, 2));
    editor.setVisible (false);
    EXPECT_EQ (countPixels (cc, GuiTestSupport::isNearWhite), 0);
    editor.setVisible (true);
    press (K::returnKey);
    EXPECT_EQ (preset->getKnob (4)->getData(), (ByteArray{ 0, 21 }));

    // Only digits and signs go in; between digits the caret stays where it was.
    GuiTestSupport::click (channel, { 10, 8 });
    ASSERT_NE (channel.getCurrentTextEditor(), nullptr);
    GuiTestSupport::type (*channel.getCurrentTextEditor(), "1k2");
    channel.getCurrentTextEditor()->insertTextAtCaret ("x-+y");
    EXPECT_EQ (channel.getCurrentTextEditor()->getText(), "12-+");
}

TEST_F (NumberBoxTest, InRangeOnly)
{
    // Each entry, in order, and the number its box holds afterwards.
    const std::tuple<NumberBoxComponent<int>*, const char*, int> entries[] = {
        { &channel, "16", 16 },     { &channel, "17", 16 }, { &channel, "-3", 16 },
        { &channel, "", 16 },       { &channel, "5", 5 },   { &cc, "", 0 },
        { &cc, "+12", 12 },         { &cc, "12-3", 12 },    { &cc, "4294967312", 12 },
        { &cc, "-2147483648", 12 }, { &cc, "007", 7 }
    };

    for (auto [box, text, expected] : entries)
    {
        GuiTestSupport::enter (*box, text);
        EXPECT_EQ (box->getValue(), expected) << "\"" << text << "\"";
        EXPECT_EQ (box->getTextValue().toString(), juce::String (expected));
    }

    // Losing the focus takes an entry. Listeners hear each number taken, and never one out of range.
    channel.showEditor();
    GuiTestSupport::type (*channel.getCurrentTextEditor(), "9");
    cc.grabKeyboardFocus();
    MessageLoop::drain();
    EXPECT_EQ (preset->getKnob (4)->getData(), (ByteArray{ 8, 7 }));
    EXPECT_EQ (heard, (std::vector<int>{ 16, 5, 0, 12, 7, 9 }));

    // What arrives through the shared text value settles on the box's own decimal text.
    const std::pair<const char*, int> texts[] = { { "3", 3 }, { "99", 3 }, { "\0250", 3 }, { "12abc", 12 } };

    for (auto [text, expected] : texts)
    {
        channel.getTextValue() = text;
        MessageLoop::drain();
        EXPECT_EQ (channel.getValue(), expected);
        EXPECT_EQ (channel.getTextValue().toString(), juce::String (expected));
    }
}

TEST_F (ViewBindingTest, StoreShowsEverywhere)
{
    // Two blocks stored before the message loop turns on a new window's panel, as a file handed to a
    // new window or two quick replies are: the boxes' pending notifications must not write an old
    // number back. Buttons that stay notes show that the views read their type at construction,
    // when binding "TYPE" calls nobody.
    juce::Random random (57);
    const auto block = HexFile::randomValidBlock (random);
    MainContentComponent fresh (preset);
    ASSERT_TRUE (preset->setData (HexFile::randomValidBlock (random)) && preset->setData (block));
    MessageLoop::drain();
    EXPECT_EQ (preset->getData(), block);

    for (int i = 0; i < KARVELOControlMap::numControls; ++i)
    {
        const auto& control = KARVELOControlMap::getControls()[(size_t) i];
        EXPECT_EQ (fresh.getBoxes (i).getChannelBox().getValue(), block[control.channelOffset] + 1) << i;
        EXPECT_EQ (fresh.getBoxes (i).getCcBox().getValue(), block[control.numberOffset]) << i;
    }

    // The panel's rows are mute, solo, record-arm; the preset keeps mute, record-arm, solo.
    for (int i = 0; i < 24; ++i)
        EXPECT_EQ (fresh.getSwitchView (i).getTypeButton().showsOnImage(),
                   block[66 + 3 * (i < 8 ? i : (i < 16 ? i + 8 : i - 8)) + 1] == 1)
            << "switch view " << i;
}

TEST_F (ViewBindingTest, ArrivingPresetWinsOverTyping)
{
    // An entry changes its box's byte. Typed into again while a preset is stored into the model, as a
    // reply from the controller or an opened file is, the box takes the arriving number, also when
    // it is the number the box already holds.
    const std::tuple<NumberBoxComponent<int>*, const char*, int, int, int> entries[] = {
        { &panel.getKnobView (5).getCcBox(), "99", 11, 99, 40 },
        { &panel.getKnobView (5).getChannelBox(), "16", 10, 15, 15 },   // channels are stored from 0
        { &panel.getSwitchView (8).getCcBox(), "77", 114 + 2, 77, 77 }, // screen row SOLO: preset switch 16
    };

    for (auto [box, text, offset, stored, arriving] : entries)
    {
        auto block = preset->getData();
        block.set (offset, static_cast<juce::uint8> (stored));
        GuiTestSupport::enter (*box, text);
        EXPECT_EQ (preset->getData(), block) << "after entering " << text;

        GuiTestSupport::click (*box, { 10, 6 });
        ASSERT_TRUE (box->isBeingEdited());
        GuiTestSupport::type (*box->getCurrentTextEditor(), "1");
        block.set (offset, static_cast<juce::uint8> (arriving));
        ASSERT_TRUE (preset->setData (block));
        MessageLoop::drain();
        NumberBoxComponent<int>::commitEditsWithin (panel); // what Save and Send do first
        MessageLoop::drain();
        EXPECT_FALSE (box->isBeingEdited()) << text;
        EXPECT_EQ (box->getValue(), arriving + (box->getName() == "Channel" ? 1 : 0)) << text;
        EXPECT_EQ (preset->getData(), block) << text;
    }

    // The type button, and the texts following it.
    auto& view = panel.getSwitchView (8);
    GuiTestSupport::click (view, { 26, 17 });
    MessageLoop::drain();
    EXPECT_EQ (preset->getSwitch (16)->getData(), (ByteArray{ 0, 1, 77 }));
    EXPECT_EQ (view.getTypeLabel().getText() + view.getCcLabel().getText(), "CCCC:");

    // The MUTE row's channel box reaches 3 px into the SOLO row's button: a click on the box's last
    // line edits the channel and leaves that button alone.
    auto& box = panel.getSwitchView (0).getChannelBox();
    GuiTestSupport::click (panel, panel.getLocalPoint (&box, juce::Point<int> (10, box.getHeight() - 1)));
    EXPECT_TRUE (box.isBeingEdited());
    EXPECT_EQ (preset->getSwitch (16)->getData(), (ByteArray{ 0, 1, 77 }));
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

    for (auto* shown : { &panel, &newWindowsPanel })
        for (auto [box, number] : { std::pair (&shown->getKnobView (0).getChannelBox(), 17),
                                    std::pair (&shown->getSwitchView (23).getChannelBox(), 128) })
        {
            EXPECT_EQ (box->getValue(), number);
            EXPECT_EQ (box->getTooltip(),
                       "MIDI channel " + juce::String (number)
                           + " is outside 1 to 16: type a channel from 1 to 16 to replace it");
            EXPECT_GT (countPixels (*box, isAmber), 4);
        }

    // Opened and taken unchanged (as Save takes it), or given a channel out of range: kept.
    auto& box = panel.getKnobView (0).getChannelBox();
    GuiTestSupport::click (box, { 10, 6 });
    ASSERT_TRUE (box.isBeingEdited());
    NumberBoxComponent<int>::commitEditsWithin (panel);
    MessageLoop::drain();
    GuiTestSupport::enter (box, "17");
    EXPECT_EQ (preset->getData(), block);

    // A step takes it into the range; a channel from 1 to 16 replaces it.
    box.grabKeyboardFocus();
    press (K::upKey);
    EXPECT_EQ (preset->getKnob (0)->getData()[0], 15);

    GuiTestSupport::enter (box, "5");
    block.set (0, 4);
    EXPECT_EQ (preset->getData(), block);
    EXPECT_EQ (newWindowsPanel.getKnobView (0).getChannelBox().getValue(), 5);
    EXPECT_EQ (box.getTooltip(), "Strip 1, row 1 knob: MIDI channel, 1 to 16");
    EXPECT_EQ (countPixels (box, isAmber), 0);
}

TEST_F (Panel, StepTabAndEdit)
{
    // Counts the stores into the model value: what the window's undo history and unsaved-edits
    // state hear.
    struct StoreCounter : juce::Value::Listener
    {
        void valueChanged (juce::Value&) override { ++stores; }
        int stores = 0;
    } ccStores;
    auto ccValue = preset->getKnob (4)->getParameterValue ("CC");
    ccValue.addListener (&ccStores);

    // With the focus: each key one entry, one store into the model; none at an end of the range.
    cc.grabKeyboardFocus();
    const int keys[] = { K::upKey,       K::downKey,     K::pageUpKey,   K::pageDownKey,
                         K::pageDownKey, K::pageDownKey, K::pageDownKey, K::downKey };
    const int steps[] = { 22, 21, 31, 21, 11, 1, 0, 0 };

    for (int i = 0; i < 8; ++i)
    {
        press (keys[i]);
        EXPECT_EQ (preset->getKnob (4)->getData()[1], steps[i]);
        EXPECT_EQ (ccStores.stores, std::min (i + 1, 7));
    }

    EXPECT_FALSE (cc.isBeingEdited()) << "stepping is not typing";

    // The wheel over a box, focused or not: one step a notch, the channel shown from 1 to 16.
    for (auto [notches, stored] : { std::pair (1, 1), { 1, 2 }, { 1, 3 }, { 20, 15 } })
    {
        GuiTestSupport::turnWheel (channel, { 10, 8 }, notches);
        MessageLoop::drain();
        EXPECT_EQ (preset->getKnob (4)->getData()[0], stored);
    }

    // The window's own keys pass through a focused box.
    for (auto code : { int ('s'), K::upKey })
        EXPECT_FALSE (
            GuiTestSupport::pressKeyInWindow (panel, K (code, juce::ModifierKeys::ctrlModifier, 0)));

    // Without a focused box in the panel, the keys step the box under the mouse.
    juce::Component::unfocusAllComponents();
    GuiTestSupport::moveMouse (channel, { 10, 8 });
    press (K::pageDownKey);
    EXPECT_EQ (channel.getValue(), 6);

    // A drag up 20 pixels is five steps, taken as one entry on release; a plain click still opens
    // the editor.
    GuiTestSupport::drag (cc, { 10, 8 }, { 12, 8 - 5 * NumberBoxComponent<int>::dragPixelsPerStep });
    MessageLoop::drain();
    EXPECT_EQ (cc.getValue(), 5);
    EXPECT_EQ (ccStores.stores, 8);
    EXPECT_FALSE (cc.isBeingEdited());
    GuiTestSupport::click (cc, { 10, 8 });
    EXPECT_TRUE (cc.isBeingEdited());

    // Tab from the window enters at the first box and walks every box in reading order, the number
    // before the channel; Shift+Tab walks back.
    juce::Component::unfocusAllComponents();
    press (K::tabKey);

    for (int i = 0; i < 2 * KARVELOControlMap::numControls; ++i)
    {
        auto& boxes = panel.getBoxes (i / 2);
        ASSERT_TRUE ((i % 2 == 0 ? boxes.getCcBox() : boxes.getChannelBox()).hasKeyboardFocus (false)) << i;
        press (K::tabKey);
    }

    EXPECT_TRUE (panel.getBoxes (0).getCcBox().hasKeyboardFocus (false));
    press (K::tabKey, juce::ModifierKeys::shiftModifier);
    EXPECT_TRUE (panel.getFaderView (8).getChannelBox().hasKeyboardFocus (false));

    // A digit starts an entry with itself; Tab takes it and moves on.
    auto& solo = panel.getSwitchView (8).getCcBox(); // strip 1 solo button: its note number
    solo.grabKeyboardFocus();
    press ('4', {}, '4');
    ASSERT_TRUE (solo.isBeingEdited());
    GuiTestSupport::type (*solo.getCurrentTextEditor(), "2");
    press (K::tabKey);
    EXPECT_EQ (preset->getSwitch (16)->getData()[2], 42);
    EXPECT_TRUE (panel.getSwitchView (8).getChannelBox().hasKeyboardFocus (false));

    // The focused box wears a ring; Return and F2 open its editor, Escape leaves it unchanged.
    auto& box = panel.getFaderView (8).getCcBox();
    EXPECT_EQ (countPixels (box, isRing), 0);
    box.grabKeyboardFocus();
    MessageLoop::drain();
    EXPECT_GT (countPixels (box, isRing), 20);

    for (auto opening : { K::returnKey, K::F2Key })
    {
        press (opening);
        ASSERT_TRUE (box.isBeingEdited());
        EXPECT_EQ (box.getCurrentTextEditor()->getHighlightedRegion(), juce::Range<int> (0, 2));
        GuiTestSupport::type (*box.getCurrentTextEditor(), "9");
        press (K::escapeKey);
        EXPECT_TRUE (box.hasKeyboardFocus (false)) << "Escape returns to the focused box";
        EXPECT_EQ (box.getValue(), 62);
    }

    press (K::returnKey);
    GuiTestSupport::type (*box.getCurrentTextEditor(), "99");
    press (K::returnKey);
    EXPECT_EQ (preset->getFader (8)->getData()[1], 99);
    EXPECT_TRUE (box.hasKeyboardFocus (false));
}

TEST_F (Panel, MarksAndTooltips)
{
    // An entry: strip 5's fader (control 34) on the master fader's controller 62; a step away takes
    // the marks off.
    auto& fader = panel.getFaderView (4).getCcBox();
    GuiTestSupport::enter (fader, "62");
    EXPECT_EQ (markedControls(), (std::vector<int>{ 34, 34, 56, 56 }));
    EXPECT_EQ (fader.getTooltip(), "Strip 5 fader: controller number, 0 to 127\nAlso sent by master fader");
    EXPECT_GT (countPixels (fader, isPink), 4);
    GuiTestSupport::turnWheel (fader, { 10, 6 }, 1);
    MessageLoop::drain();
    EXPECT_TRUE (markedControls().empty());
    EXPECT_EQ (countPixels (fader, isPink), 0);

    // A type toggle: strip 6's mute button sends note 16, and as a controller button it sends what
    // strip 1's first knob sends.
    auto& mute = panel.getSwitchView (5);
    EXPECT_EQ (mute.getCcBox().getTooltip(), "Strip 6 mute button: note number, 0 to 127");
    GuiTestSupport::click (mute, { 5, 5 });
    MessageLoop::drain();
    EXPECT_EQ (markedControls(), (std::vector<int>{ 0, 0, 38, 38 }));
    EXPECT_EQ (mute.getCcBox().getTooltip(),
               "Strip 6 mute button: controller number, 0 to 127\nAlso sent by strip 1 knob 1");

    // A block stored (a reply, a file, an undo) is checked once it has been stored; beyond three
    // names, the other controls are counted.
    auto block = GuiTestSupport::factoryPreset()->getData();

    for (int knob = 0; knob < 6; ++knob)
        block.set (2 * knob + 1, 100);

    ASSERT_TRUE (preset->setData (block));
    MessageLoop::drain();
    EXPECT_EQ (markedControls(), (std::vector<int>{ 0, 0, 1, 1, 2, 2, 7, 7, 8, 8, 9, 9 }));
    EXPECT_EQ (panel.getKnobView (0).getChannelBox().getTooltip(),
               "Strip 1, row 1 knob: MIDI channel, 1 to 16\n"
               "Also sent by strip 1 knob 2, strip 1 knob 3, strip 2 knob 1 and 2 more controls");

    // The tooltip window is there while the mouse is over the panel, and only then.
    juce::SharedResourcePointer<juce::TooltipWindow> tooltipWindow; // the panel's is a second reference
    GuiTestSupport::moveMouse (panel.getKnobView (7).getChannelBox(), { 10, 6 });
    EXPECT_EQ (tooltipWindow.getReferenceCount(), 2);
    GuiTestSupport::moveMouse (panel, { -20, -20 });
    EXPECT_EQ (tooltipWindow.getReferenceCount(), 1);
}

TEST (PanelLights, FadeAndTouch)
{
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

    MainContentComponent panel (GuiTestSupport::factoryPreset(), { 40, 80, 80, 5 });
    auto* repaints = new RepaintRecorder();
    panel.setCachedComponentImage (repaints);
    panel.setVisible (true);
    MessageLoop::drain();
    const juce::Point<int> midiLight{ 817, 306 }, powerLight{ 865, 306 };
    const auto shownAt = [&] (juce::Point<int> p)
    { return panel.createComponentSnapshot (panel.getLocalBounds()).getPixelAt (p.x, p.y); };
    const auto dark = [&] (juce::Point<int> p)
    { return shownAt (p) == Pictures::hardwareBackground().getPixelAt (p.x, p.y); };
    const auto repainted = [&] (std::vector<juce::Rectangle<int>> areas)
    { return std::exchange (repaints->areas, {}) == areas; };

    // Off is the picture as it is, which shows both lights dark; POWER lit is green, MIDI lit
    // amber.
    EXPECT_TRUE (dark (powerLight)) << "a window without ports must not look connected";
    panel.setPowerLed (true);
    EXPECT_TRUE (shownAt (powerLight).getGreen() >= 200 && shownAt (powerLight).getRed() <= 150);
    panel.setPowerLed (false);
    EXPECT_TRUE (dark (powerLight));

    // A flood of messages: MIDI lights once, at the next frame, repainting its light only, goes out
    // after the flash and then nothing runs.
    repaints->areas.clear();

    for (int i = 0; i < 10000; ++i)
        panel.midiActivity();

    EXPECT_TRUE (repainted ({}));
    EXPECT_TRUE (shownAt (midiLight).getRed() >= 200 && shownAt (midiLight).getBlue() <= 100);
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return ! panel.getActivity().isAnimating(); }));
    EXPECT_TRUE (repainted ({ PanelActivity::getLightArea (false), PanelActivity::getLightArea (false) }));
    EXPECT_TRUE (dark (midiLight));

    // What strip 3's second knob sends (controller 25, channel 1) touches it, and nothing else.
    EXPECT_EQ (panel.showMessageReceived ({ 0, false, 25 }, 100), juce::Array<int> ({ 15 }));
    EXPECT_TRUE (panel.showMessageReceived ({ 1, false, 25 }, 100).isEmpty());
    EXPECT_TRUE (panel.showMessageReceived ({ 0, true, 25 }, 100).isEmpty());
    EXPECT_TRUE (repainted ({}));

    // Its arc runs from the lowest mark clockwise to 100/127 of 300 degrees: it passes 60 degrees
    // right of the top, and stops short of 120.
    const auto onArc = [&] (float degrees)
    {
        const auto p = juce::Point<float> (316.0f, 208.0f)
                           .getPointOnCircumference (24.5f, juce::degreesToRadians (degrees));
        return countPixels (panel, isCyan, juce::Rectangle<int> (3, 3).withCentre (p.roundToInt()));
    };
    EXPECT_GT (onArc (60.0f), 0);
    EXPECT_EQ (onArc (120.0f), 0);

    // It fades, repainting only where the knob's arc and boxes are, and then all is quiet.
    ASSERT_TRUE (MessageLoop::runUntil ([&] { return ! panel.getActivity().isAnimating(); }));
    EXPECT_EQ (panel.getActivity().getTouchedValue (15), -1);
    const auto touchedArea = PanelActivity::getValueArea (15).getUnion (panel.getKnobView (7).getBounds());
    EXPECT_FALSE (repaints->areas.empty());

    for (auto& area : std::exchange (repaints->areas, {}))
        EXPECT_TRUE (touchedArea.contains (area)) << area.toString();

    MessageLoop::runFor (100);
    EXPECT_TRUE (repaints->areas.empty()) << "nothing is repainted once everything has faded";

    // A fader touched shows a bar reaching 80/127 of its slot, from the bottom.
    panel.showControlTouched (13, 80); // strip 2 fader
    EXPECT_TRUE (isCyan (shownAt ({ 148 + 84 + 22, 628 - 30 })));
    EXPECT_FALSE (isCyan (shownAt ({ 148 + 84 + 22, 628 - 45 })));
}

TEST_F (Panel, MatchesReference)
{
    // Over the whole panel and over each view's own area, which a view out of place, a caption beside
    // the wrong box or a number not painted shows at once; the views stay where they are when the
    // window is larger or smaller.
    // A changed look gets a new reference from the screenshot program, on a private display:
    // xvfb-run -a build/tools/screenshots/karvelo_screenshots /tmp/shots tests/data/golden/panel_factory.png
    const auto expected =
        juce::ImageFileFormat::loadFrom (HexFile::getTestDataFile ("golden/panel_factory.png"));

    for (auto size : { juce::Point<int> (940, 721), juce::Point<int> (1200, 900) })
    {
        panel.setSize (size.x, size.y);
        const auto painted = panel.createComponentSnapshot (expected.getBounds());
        EXPECT_LT (difference (painted, expected, expected.getBounds()), 0.75) << size.toString();

        for (auto* view : panel.getChildren())
            EXPECT_LT (difference (painted, expected, view->getBounds()), 1.5)
                << view->getPosition().toString();
    }
}

TEST (Pictures, ButtonsShowTheirStateSharply)
{
    // What the buttons draw at a desktop scale of 2, against the larger renderings on disk.
    const auto shows = [] (juce::Component& button, const char* name)
    {
        const auto larger = juce::ImageFileFormat::loadFrom (
            HexFile::getTestDataFile ("../../resources/" + juce::String (name) + "@2x.png"));
        const auto painted = button.createComponentSnapshot (button.getLocalBounds(), true, 2.0f);
        return difference (painted, larger, larger.getBounds()) == 0.0;
    };

    // The switch as a click stores it (true) and as the model does; a press leaves the picture alone.
    ImageToggleButton toggle ("CC Note Toggle Button", Pictures::switchOff(), Pictures::switchOn());
    toggle.setSize (53, 35);

    for (auto [stored, name] :
         { std::pair<juce::var, const char*> (true, "switch_on"), { 0, "switch_off" }, { "1", "switch_on" } })
    {
        toggle.getToggleStateValue() = stored;
        toggle.setState (juce::Button::buttonDown);
        EXPECT_TRUE (shows (toggle, name)) << name;
    }

    // MIDI Setup's buttons, in their window's look.
    CustomLookForAuxiliaryWindows look;
    const auto apply = createApplyButton();
    apply->setLookAndFeel (&look);
    EXPECT_TRUE (shows (*apply, "apply_normal"));
}

TEST (Pictures, AboutBox)
{
    AboutComponent about (Pictures::aboutBackground());
    EXPECT_EQ (about.getVersionLabel().getText(), "Version: " KARVELO_VERSION);

    // The version line takes its own clicks; a press alone does not close the window.
    GuiTestSupport::HostWindow window (about);
    GuiTestSupport::click (about, { 250, 115 });
    GuiTestSupport::press (about, { 250, 230 });
    EXPECT_TRUE (window.isOnDesktop());
    GuiTestSupport::moveMouse (about, { 250, 230 });
    EXPECT_FALSE (window.isOnDesktop());
}
