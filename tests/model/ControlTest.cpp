#include "MessageLoop.h"
#include "model/KARVELOKnob.h"
#include "model/KARVELOSwitch.h"

#include <gtest/gtest.h>

TEST (Control, ParametersAndBinding)
{
    // Which byte each parameter is; validity is the preset's test, each control's slice the views'.
    KARVELOKnob knob;
    knob.getParameterValue ("MIDI CHANNEL") = 15;
    knob.getParameterValue ("CC") = 127;
    EXPECT_EQ (knob.getData(), (ByteArray{ 0x0f, 0x7f }));
    KARVELOSwitch button;
    button.getParameterValue ("TYPE") = true; // what a toggle button stores
    button.getParameterValue ("CC") = "64";   // what a text label stores
    EXPECT_EQ (button.getData(), (ByteArray{ 0, 1, 64 }));

    // Ranges include both ends; names are case-sensitive and unknown ones are never valid.
    const auto valid = [&] (const char* name, juce::var v) { return button.isValidParameterValue (name, v); };

    for (auto [name, low, high] :
         { std::tuple ("MIDI CHANNEL", 0, 127), std::tuple ("TYPE", 0, 1), std::tuple ("CC", 0, 127) })
    {
        EXPECT_TRUE (valid (name, low) && valid (name, high)) << name;
        EXPECT_FALSE (valid (name, low - 1) || valid (name, high + 1)) << name;
    }

    EXPECT_TRUE (valid ("CC", "12"));
    EXPECT_FALSE (valid ("Cc", 1) || valid ("VELOCITY", 1));
    button.setParameterValue ("CC", 128);
    button.setParameterValue ("VELOCITY", 5);
    EXPECT_EQ (button.getData(), (ByteArray{ 0, 1, 64 }));

    struct Counter : juce::Value::Listener
    {
        void valueChanged (juce::Value&) override { ++calls; }
        int calls = 0;
    } counter;

    juce::Value view ("untouched");
    view.addListener (&counter);
    EXPECT_FALSE (button.bindParameter ("VELOCITY", view));
    EXPECT_EQ (view.toString(), "untouched");
    ASSERT_TRUE (button.bindParameter ("CC", view));
    EXPECT_EQ (counter.calls, 1); // referring to another value notifies at once
    view = "33";
    EXPECT_EQ (button.getData(), (ByteArray{ 0, 1, 33 }));

    // A store into the model, as a reply from the controller makes, reaches the view's listeners
    // later, on the message thread; an equal value notifies nobody.
    ASSERT_TRUE (button.setData ({ 0, 1, 90 }));
    EXPECT_EQ (view.toString(), "90");
    EXPECT_TRUE (MessageLoop::runUntil ([&] { return counter.calls == 2; }));
    button.setParameterValue ("CC", 90);
    MessageLoop::drain();
    EXPECT_EQ (counter.calls, 2);
}
