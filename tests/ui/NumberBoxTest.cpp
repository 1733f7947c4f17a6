#include "GuiTestSupport.h"
#include "MessageLoop.h"
#include "ui/NumberBoxComponent.h"

#include <gtest/gtest.h>

namespace
{
/** A channel box (1-16) showing 5 and a CC box (0-127) showing 64 in a window, with a listener. */
class NumberBoxTest
    : public ::testing::Test
    , NumberBoxComponent<int>::Listener
{
protected:
    NumberBoxTest()
    {
        host.setSize (200, 80);
        channel.setBounds (10, 10, 40, 16);
        cc.setBounds (60, 10, 40, 16);
        elsewhere.setBounds (10, 40, 100, 20);
        elsewhere.setWantsKeyboardFocus (true);

        for (auto* child : std::initializer_list<juce::Component*>{ &channel, &cc, &elsewhere })
            host.addAndMakeVisible (child);

        window = std::make_unique<GuiTestSupport::HostWindow> (host);
        channel.addListener (this);
        cc.addListener (this);
        MessageLoop::drain();
    }

    void numberBoxValueChanged (NumberBoxComponent<int>* box) override { heard.push_back (box->getValue()); }

    static void pressReturn (NumberBoxComponent<int>& box)
    {
        box.getCurrentTextEditor()->keyPressed (juce::KeyPress (juce::KeyPress::returnKey));
        MessageLoop::runUntil ([&] { return box.getCurrentTextEditor() == nullptr; });
        MessageLoop::drain();
    }

    juce::Component host;
    NumberBoxComponent<int> channel{ "Channel", 1, 16, 5 }, cc{ "CC", 0, 127, 64 };
    juce::Label elsewhere;
    std::unique_ptr<GuiTestSupport::HostWindow> window;
    std::vector<int> heard;
};
} // namespace

TEST_F (NumberBoxTest, RefusedKeysKeepSelection)
{
    cc.setColour (juce::Label::textColourId, juce::Colours::white);
    EXPECT_GT (GuiTestSupport::countPixels (cc, GuiTestSupport::isNearWhite), 5);

    // A click selects the number; a letter, a blank or a paste with nothing allowed in it must not
    // erase it, or Return would then take the empty entry as 0. The painted number hides meanwhile.
    GuiTestSupport::click (cc, { 10, 8 });
    ASSERT_NE (cc.getCurrentTextEditor(), nullptr);
    auto& editor = *cc.getCurrentTextEditor();
    GuiTestSupport::type (editor, "a ");
    editor.insertTextAtCaret ("xyz");
    EXPECT_EQ (editor.getText(), "64");
    EXPECT_EQ (editor.getHighlightedRegion(), juce::Range<int> (0, 2));
    editor.setVisible (false);
    EXPECT_EQ (GuiTestSupport::countPixels (cc, GuiTestSupport::isNearWhite), 0);
    editor.setVisible (true);
    pressReturn (cc);
    EXPECT_EQ (cc.getValue(), 64);

    // Only digits and signs go in; between digits the caret stays where it was.
    GuiTestSupport::click (channel, { 10, 8 });
    ASSERT_NE (channel.getCurrentTextEditor(), nullptr);
    GuiTestSupport::type (*channel.getCurrentTextEditor(), "1k2");
    channel.getCurrentTextEditor()->insertTextAtCaret ("x-+y");
    EXPECT_EQ (channel.getCurrentTextEditor()->getText(), "12-+");
    channel.getCurrentTextEditor()->setText ("12");
    pressReturn (channel);
    EXPECT_EQ (heard, std::vector<int>{ 12 });
}

TEST_F (NumberBoxTest, InRangeOnly)
{
    // Each entry, in order, and the number its box holds afterwards.
    const std::tuple<NumberBoxComponent<int>*, const char*, int> entries[] = {
        { &channel, "16", 16 }, { &channel, "17", 16 },    { &channel, "0", 16 },
        { &channel, "-3", 16 }, { &channel, "", 16 },      { &channel, "5", 5 },
        { &cc, "", 0 },         { &cc, "+12", 12 },        { &cc, "12-3", 12 },
        { &cc, "128", 12 },     { &cc, "4294967312", 12 }, { &cc, "-2147483648", 12 },
        { &cc, "007", 7 }
    };

    for (auto [box, text, expected] : entries)
    {
        GuiTestSupport::enter (*box, text);
        EXPECT_EQ (box->getValue(), expected) << "\"" << text << "\"";
        EXPECT_EQ (box->getTextValue().toString(), juce::String (expected));
    }

    // Escape drops an entry; losing the focus takes it.
    GuiTestSupport::enter (channel, "9", juce::KeyPress::escapeKey);
    EXPECT_EQ (channel.getValue(), 5);
    channel.showEditor();
    GuiTestSupport::type (*channel.getCurrentTextEditor(), "9");
    elsewhere.grabKeyboardFocus();
    MessageLoop::drain();
    EXPECT_EQ (channel.getCurrentTextEditor(), nullptr);
    EXPECT_EQ (channel.getValue(), 9);

    // Listeners hear each number taken, and never one out of range.
    EXPECT_EQ (heard, (std::vector<int>{ 16, 5, 0, 12, 7, 9 }));

    // Numbers set from code.
    heard.clear();
    channel.setValue (7, juce::dontSendNotification);
    MessageLoop::drain();
    EXPECT_TRUE (heard.empty()) << "the text settling on the box's own number is no news";
    channel.setValue (8, juce::sendNotificationAsync);
    EXPECT_EQ (heard, std::vector<int>{ 8 }) << "listeners are told at once, whatever the kind";
    channel.setValue (40, juce::sendNotificationSync);
    EXPECT_EQ (channel.getValue(), 8);

    // What arrives through the shared text value settles on the box's own decimal text.
    for (auto [text, expected] :
         { std::pair (juce::String ("3"), 3), std::pair (juce::String ("99"), 3),
           std::pair (juce::String::charToString (0x15) + "0", 3), std::pair (juce::String ("12abc"), 12) })
    {
        channel.getTextValue() = text;
        MessageLoop::drain();
        EXPECT_EQ (channel.getValue(), expected);
        EXPECT_EQ (channel.getTextValue().toString(), juce::String (expected));
    }

    // A listener removing others while being told: the removed are not told.
    struct Calls : NumberBoxComponent<int>::Listener
    {
        void numberBoxValueChanged (NumberBoxComponent<int>*) override { call(); }
        std::function<void()> call;
    } first, second;

    first.call = [&] { FAIL() << "removed while the box was telling its listeners"; };
    second.call = [&] { channel.removeListener (&first); };
    channel.addListener (&first);
    channel.addListener (&second);
    channel.setValue (2, juce::sendNotificationSync);
}
