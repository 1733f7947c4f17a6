#include "MessageLoop.h"
#include "model/KARVELOKnob.h"
#include "model/KARVELOSwitch.h"

#include <gtest/gtest.h>

namespace
{
int parameter (const MEditorControl& control, const juce::String& name)
{
    return static_cast<int> (control.getParameterValue (name).getValue());
}
} // namespace

TEST (Control, NewControlsHoldZeroAndNameTheirKind)
{
    KARVELOKnob knob;
    KARVELOSwitch button;

    EXPECT_EQ (knob.getData(), (ByteArray{ 0, 0 }));
    EXPECT_EQ (button.getData(), (ByteArray{ 0, 0, 0 }));
    EXPECT_EQ (knob.getControlType(), "KNOB");
    EXPECT_EQ (button.getControlType(), "SWITCH");
}

TEST (Control, KnobStoresItsSliceInChannelThenCcOrder)
{
    KARVELOKnob knob;

    EXPECT_TRUE (knob.setData ({ 0x0f, 0x7f }));
    EXPECT_EQ (parameter (knob, "MIDI CHANNEL"), 15);
    EXPECT_EQ (parameter (knob, "CC"), 127);
    EXPECT_EQ (knob.getData(), (ByteArray{ 0x0f, 0x7f }));
}

TEST (Control, RejectedSliceLeavesEveryParameterAlone)
{
    KARVELOKnob knob;
    ASSERT_TRUE (knob.setData ({ 3, 64 }));

    for (const ByteArray& bad :
         { ByteArray{ 5, 0x80 }, ByteArray{ 0x80, 5 }, ByteArray{ 1, 2, 3 }, ByteArray{ 1 }, ByteArray{} })
    {
        EXPECT_FALSE (knob.isValidData (bad));
        EXPECT_FALSE (knob.setData (bad));
        EXPECT_EQ (knob.getData(), (ByteArray{ 3, 64 }));
    }

    KARVELOSwitch button;
    EXPECT_FALSE (button.setData ({ 0, 1 }));
    EXPECT_FALSE (button.setData ({ 0, 2, 0x10 }));
    EXPECT_EQ (button.getData(), (ByteArray{ 0, 0, 0 }));

    EXPECT_TRUE (button.setData ({ 0, 1, 0x10 }));
    EXPECT_EQ (parameter (button, "TYPE"), 1);
    EXPECT_EQ (parameter (button, "CC"), 16);
}

TEST (Control, ValuesOfOtherKindsAreReadAsTheNumbersTheyAre)
{
    KARVELOSwitch button;

    // What a toggle button and a text label store into a shared value.
    button.getParameterValue ("TYPE") = true;
    button.getParameterValue ("CC") = "64";
    button.getParameterValue ("MIDI CHANNEL") = juce::var();

    EXPECT_EQ (button.getData(), (ByteArray{ 0, 1, 64 }));

    // Only the lowest eight bits of a stored number reach the block.
    button.getParameterValue ("CC") = 0x1ff;
    EXPECT_EQ (button.getData()[2], 0xff);
}

TEST (Control, RangesAreInclusiveAndUnknownNamesAreInvalid)
{
    KARVELOSwitch button;

    EXPECT_TRUE (button.isValidParameterValue ("MIDI CHANNEL", 127));
    EXPECT_TRUE (button.isValidParameterValue ("MIDI CHANNEL", 0));
    EXPECT_FALSE (button.isValidParameterValue ("MIDI CHANNEL", 128));
    EXPECT_FALSE (button.isValidParameterValue ("MIDI CHANNEL", -1));
    EXPECT_TRUE (button.isValidParameterValue ("TYPE", 1));
    EXPECT_FALSE (button.isValidParameterValue ("TYPE", 2));
    EXPECT_TRUE (button.isValidParameterValue ("CC", "12"));
    EXPECT_FALSE (button.isValidParameterValue ("Cc", 1));
    EXPECT_FALSE (button.isValidParameterValue ("VELOCITY", 1));

    button.setParameterValue ("CC", 100);
    button.setParameterValue ("CC", 128);
    button.setParameterValue ("VELOCITY", 5);
    EXPECT_EQ (parameter (button, "CC"), 100);
}

TEST (Control, AddParameterTakesMaximumFirstCopiesContentsAndKeepsTheFirstOfAName)
{
    struct TestControl : MEditorControl
    {
        ByteArray getData() const override { return {}; }
        bool setData (const ByteArray&) override { return false; }
        juce::String getControlType() const override { return "TEST"; }
        bool isValidData (const ByteArray&) const override { return false; }
    };

    TestControl control;
    juce::Value maximum (10), minimum (2), initial (5);
    control.addParameter ("P", maximum, minimum, initial);
    control.addParameter ("P", juce::Value (100), juce::Value (50), juce::Value (60));

    maximum = 1000;
    initial = 999;

    EXPECT_EQ (parameter (control, "P"), 5);
    EXPECT_TRUE (control.isValidParameterValue ("P", 10));
    EXPECT_TRUE (control.isValidParameterValue ("P", 2));
    EXPECT_FALSE (control.isValidParameterValue ("P", 11));
    EXPECT_FALSE (control.isValidParameterValue ("P", 1));
}

TEST (Control, ParameterValuesAreSharedAndUnknownNamesGiveAnUnsharedZero)
{
    KARVELOKnob knob;

    auto shared = knob.getParameterValue ("CC");
    shared = 42;
    EXPECT_EQ (knob.getData()[1], 42);

    auto unknown = knob.getParameterValue ("NOTHING");
    EXPECT_EQ (static_cast<int> (unknown.getValue()), 0);
    unknown = 7;
    EXPECT_EQ (static_cast<int> (knob.getParameterValue ("NOTHING").getValue()), 0);
}

TEST (Control, BoundValueIsTheParameterInBothDirectionsWithNotifications)
{
    struct Counter : juce::Value::Listener
    {
        void valueChanged (juce::Value&) override { ++calls; }
        int calls = 0;
    };

    KARVELOKnob knob;
    juce::Value viewValue ("untouched");
    Counter counter;
    viewValue.addListener (&counter);

    EXPECT_FALSE (knob.bindParameter ("NOTHING", viewValue));
    EXPECT_EQ (viewValue.toString(), "untouched");

    ASSERT_TRUE (knob.bindParameter ("CC", viewValue));
    EXPECT_EQ (static_cast<int> (viewValue.getValue()), 0);
    EXPECT_EQ (counter.calls, 1); // referring to another value notifies at once

    viewValue = "33";
    EXPECT_EQ (knob.getData()[1], 33);

    // A store into the model, as a reply from the controller makes, reaches the view later, on
    // the message thread.
    ASSERT_TRUE (knob.setData ({ 0, 90 }));
    EXPECT_EQ (static_cast<int> (viewValue.getValue()), 90);
    EXPECT_TRUE (MessageLoop::runUntil ([&] { return counter.calls >= 2; }));

    // An equal value notifies nobody.
    const auto callsBefore = counter.calls;
    knob.setParameterValue ("CC", 90);
    MessageLoop::drain();
    EXPECT_EQ (counter.calls, callsBefore);
}
