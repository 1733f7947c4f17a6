#include "GuiTestSupport.h"
#include "MessageLoop.h"
#include "ui/NumberBoxComponent.h"

#include <gtest/gtest.h>

namespace
{
struct Heard : NumberBoxComponent<int>::Listener
{
    void numberBoxValueChanged (NumberBoxComponent<int>* box) override { values.push_back (box->getValue()); }
    std::vector<int> values;
};

/** A channel box (1-16) showing 5 and a CC box (0-127) showing 64 in a window, with listeners. */
class NumberBoxTest : public ::testing::Test
{
protected:
    NumberBoxTest()
    {
        host.setSize (200, 80);
        channel.setBounds (10, 10, 40, 16);
        cc.setBounds (60, 10, 40, 16);
        elsewhere.setBounds (10, 40, 100, 20);
        elsewhere.setWantsKeyboardFocus (true);
        host.addAndMakeVisible (channel);
        host.addAndMakeVisible (cc);
        host.addAndMakeVisible (elsewhere);
        window = std::make_unique<GuiTestSupport::HostWindow> (host);

        channel.addListener (&heard);
        cc.addListener (&heard);
        MessageLoop::drain(); // each new box reports its initial number once
        heard.values.clear();
    }

    juce::TextEditor& edit (NumberBoxComponent<int>& box)
    {
        box.showEditor();
        auto* editor = box.getCurrentTextEditor();
        jassert (editor != nullptr);
        return *editor;
    }

    /** Types the text over the selected number and presses Return, which the editor hands on
        through the message loop. */
    void enter (NumberBoxComponent<int>& box, const juce::String& text)
    {
        auto& editor = edit (box);
        editor.selectAll();
        GuiTestSupport::pressKey (editor, juce::KeyPress (juce::KeyPress::deleteKey));
        GuiTestSupport::type (editor, text);
        GuiTestSupport::pressKey (editor, juce::KeyPress (juce::KeyPress::returnKey));
        MessageLoop::runUntil ([&] { return box.getCurrentTextEditor() == nullptr; });
    }

    bool heardOnly (std::initializer_list<int> allowed) const
    {
        return std::all_of (heard.values.begin(), heard.values.end(),
                            [&] (int v)
                            { return std::find (allowed.begin(), allowed.end(), v) != allowed.end(); });
    }

    juce::Component host;
    NumberBoxComponent<int> channel{ "Channel", 1, 16, 5 }, cc{ "CC", 0, 127, 64 };
    juce::Label elsewhere;
    std::unique_ptr<GuiTestSupport::HostWindow> window;
    Heard heard;
};
} // namespace

TEST_F (NumberBoxTest, EditingStartsWithTheWholeNumberSelectedAndOnlyDigitsAndSigns)
{
    auto& editor = edit (channel);
    EXPECT_EQ (editor.getText(), "5");
    EXPECT_EQ (editor.getHighlightedRegion(), juce::Range<int> (0, 1));

    GuiTestSupport::type (editor, "1a");
    EXPECT_EQ (editor.getText(), "1");

    editor.insertTextAtCaret ("x2-+y");
    EXPECT_EQ (editor.getText(), "12-+");
}

TEST_F (NumberBoxTest, ReturnTakesAnInRangeNumberAndTellsTheListeners)
{
    enter (channel, "16");

    EXPECT_EQ (channel.getValue(), 16);
    ASSERT_FALSE (heard.values.empty());
    EXPECT_EQ (heard.values.front(), 16);
    EXPECT_EQ (channel.getCurrentTextEditor(), nullptr);

    MessageLoop::drain();
    EXPECT_EQ (channel.getTextValue().toString(), "16");
    EXPECT_TRUE (heardOnly ({ 16 }));
}

TEST_F (NumberBoxTest, OutOfRangeOrEmptyEntriesKeepTheNumber)
{
    for (auto entry : { "17", "0", "-3", "" })
    {
        enter (channel, entry);
        MessageLoop::drain();
        EXPECT_EQ (channel.getValue(), 5) << "after entering \"" << entry << "\"";
        EXPECT_EQ (channel.getTextValue().toString(), "5");
    }

    EXPECT_TRUE (heardOnly ({ 5 }));
}

TEST_F (NumberBoxTest, TextIsReadAsItsLeadingInteger)
{
    enter (cc, "");
    EXPECT_EQ (cc.getValue(), 0);

    enter (cc, "+12");
    EXPECT_EQ (cc.getValue(), 12);

    enter (cc, "12-3");
    EXPECT_EQ (cc.getValue(), 12);

    enter (cc, "128");
    EXPECT_EQ (cc.getValue(), 12);

    // atoi would wrap these around into the range (4294967312 to 16); they are too large.
    enter (cc, "4294967312");
    EXPECT_EQ (cc.getValue(), 12);
    enter (cc, "-2147483648");
    EXPECT_EQ (cc.getValue(), 12);

    enter (cc, "007");
    MessageLoop::drain();
    EXPECT_EQ (cc.getValue(), 7);
    EXPECT_EQ (cc.getTextValue().toString(), "7");
    EXPECT_TRUE (heardOnly ({ 0, 12, 7 }));
}

TEST_F (NumberBoxTest, EscapeKeepsTheNumberAndFocusLossCommits)
{
    auto& editor = edit (channel);
    GuiTestSupport::type (editor, "9");
    GuiTestSupport::pressKey (editor, juce::KeyPress (juce::KeyPress::escapeKey));
    MessageLoop::runUntil ([&] { return channel.getCurrentTextEditor() == nullptr; });
    EXPECT_EQ (channel.getCurrentTextEditor(), nullptr);
    EXPECT_EQ (channel.getValue(), 5);
    EXPECT_TRUE (heardOnly ({ 5 }));

    auto& again = edit (channel);
    GuiTestSupport::type (again, "9");
    elsewhere.grabKeyboardFocus();
    MessageLoop::drain();
    EXPECT_EQ (channel.getCurrentTextEditor(), nullptr);
    EXPECT_EQ (channel.getValue(), 9);
}

TEST_F (NumberBoxTest, ValuesSetFromCodeAreValidatedAndReportedAsAsked)
{
    channel.setValue (7, juce::dontSendNotification);
    EXPECT_EQ (channel.getValue(), 7);
    MessageLoop::drain();
    EXPECT_TRUE (heard.values.empty()) << "the text settling on the box's own number is no news";

    heard.values.clear();
    channel.setValue (8, juce::sendNotificationAsync);
    EXPECT_EQ (heard.values.front(), 8); // listeners are told at once, whatever the kind

    channel.setValue (40, juce::sendNotificationSync);
    EXPECT_EQ (channel.getValue(), 8);

    // A new number arriving through the shared text value is validated too.
    channel.getTextValue() = 3;
    MessageLoop::drain();
    EXPECT_EQ (channel.getValue(), 3);
    channel.getTextValue() = "99";
    MessageLoop::drain();
    EXPECT_EQ (channel.getValue(), 3);
    EXPECT_EQ (channel.getTextValue().toString(), "3");

    // Text that reads as the number the box already has still settles on its plain decimal text.
    cc.setValue (0, juce::dontSendNotification);
    MessageLoop::drain();
    cc.getTextValue() = juce::String::charToString (0x15) + "0";
    MessageLoop::drain();
    EXPECT_EQ (cc.getValue(), 0);
    EXPECT_EQ (cc.getTextValue().toString(), "0");
    cc.getTextValue() = "12abc";
    MessageLoop::drain();
    EXPECT_EQ (cc.getValue(), 12);
    EXPECT_EQ (cc.getTextValue().toString(), "12");
}

TEST_F (NumberBoxTest, ListenersAreCalledNewestFirstAndMayLeaveDuringTheCall)
{
    std::vector<int> order;

    struct Recorder : NumberBoxComponent<int>::Listener
    {
        Recorder (std::vector<int>& o, int i, std::function<void()> during = {})
            : order (o)
            , id (i)
            , onCall (std::move (during))
        {
        }

        void numberBoxValueChanged (NumberBoxComponent<int>*) override
        {
            order.push_back (id);

            if (onCall)
                onCall();
        }

        std::vector<int>& order;
        int id;
        std::function<void()> onCall;
    };

    Recorder first (order, 1), third (order, 3);
    Recorder second (order, 2,
                     [&]
                     {
                         channel.removeListener (&third);
                         channel.removeListener (&first);
                     });
    channel.addListener (&first);
    channel.addListener (&second);
    channel.addListener (&third);
    channel.addListener (&first);

    channel.setValue (2, juce::sendNotificationSync);
    EXPECT_EQ (order, (std::vector<int>{ 3, 2 }));
}

TEST_F (NumberBoxTest, TheNumberIsNotPaintedUnderTheEditor)
{
    cc.setColour (juce::Label::textColourId, juce::Colours::white);
    cc.setColour (juce::Label::backgroundColourId, juce::Colours::black);
    EXPECT_GT (GuiTestSupport::countNearWhitePixels (GuiTestSupport::snapshot (cc), cc.getLocalBounds()), 5);

    auto& editor = edit (cc);
    editor.setVisible (false);
    EXPECT_EQ (GuiTestSupport::countNearWhitePixels (GuiTestSupport::snapshot (cc), cc.getLocalBounds()), 0);
}
