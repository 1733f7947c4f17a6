#include "HexFile.h"
#include "KarveloResources.h"
#include "MessageLoop.h"
#include "model/KARVELOControlMap.h"
#include "model/PresetConflicts.h"

#include <gtest/gtest.h>

using namespace KARVELOControlMap;

TEST (Preset, BlocksRoundTrip)
{
    // The embedded factory preset is the test vector typed from its table.
    KARVELOEditorPreset preset;
    const auto* embedded = reinterpret_cast<const juce::uint8*> (KarveloResources::factory_preset_karvelo);
    EXPECT_EQ (ByteArray (embedded, KarveloResources::factory_preset_karveloSize),
               HexFile::read ("factory_preset.hex"));

    juce::Random random (20261206);

    for (int run = 0; run < 2000; ++run)
    {
        const auto block = HexFile::randomValidBlock (random);
        ASSERT_TRUE (preset.isValidData (block) && preset.setData (block)) << "run " << run;
        ASSERT_EQ (preset.getData(), block) << "run " << run; // each control's slice: the views' test
    }

    // An invalid block is rejected whole: any single byte out of range anywhere spoils it.
    const auto before = preset.getData();
    auto longer = before;
    longer.add (0);
    std::vector<ByteArray> bad{ HexFile::read ("block_type_2.hex"), longer, ByteArray (before.begin(), 137) };

    for (int offset = 0; offset < 138; ++offset)
    {
        bad.push_back (HexFile::randomValidBlock (random));
        bad.back().set (offset, static_cast<juce::uint8> (128 + random.nextInt (128)));
    }

    for (auto& block : bad)
    {
        ASSERT_FALSE (preset.isValidData (block) || preset.setData (block)) << testing::PrintToString (block);
        ASSERT_EQ (preset.getData(), before);
    }

    // Every byte belongs to exactly one control. Which byte each control has and what it is called
    // are checked where they show: the tool's set command and the MIDI monitor.
    std::array<int, 138> owners{};

    for (auto& control : getControls())
        for (auto offset : { control.channelOffset, control.typeOffset, control.numberOffset })
            if (offset >= 0)
                ++owners[(size_t) offset];

    EXPECT_EQ (std::count (owners.begin(), owners.end(), 1), 138) << "a byte has no control or two";
    EXPECT_EQ (find (3, "KNOB2"), 15);
    EXPECT_FALSE (find (9, "knob1").has_value());
}

TEST (Preset, Conflicts)
{
    auto block = HexFile::factoryBlock();
    EXPECT_TRUE (PresetConflicts (block).isEmpty()) << "the factory preset has no conflicts";

    const auto set = [&] (int control, int channel, int type, int number)
    {
        const auto& c = getControls()[(size_t) control];
        block.set (c.channelOffset, (juce::uint8) channel);
        block.set (c.numberOffset, (juce::uint8) number);

        if (c.typeOffset >= 0)
            block.set (c.typeOffset, (juce::uint8) type);
    };

    set (0, 0, 0, 70);  // strip 1 knob 1: CC 70
    set (56, 0, 0, 70); // master fader: the same CC
    set (3, 0, 1, 70);  // strip 1 mute: a controller button on CC 70
    set (10, 0, 0, 70); // strip 2 mute: note 70 is another message
    set (17, 0, 0, 70); // strip 3 mute: the same note
    set (24, 5, 1, 71); // strip 4 mute and a knob on another channel: no conflict
    set (21, 4, 0, 71);
    PresetConflicts conflicts (block);

    EXPECT_EQ (conflicts.getOthers (56), juce::Array<int> ({ 0, 3 }));
    EXPECT_EQ (conflicts.getOthers (10), juce::Array<int> ({ 17 }));
    EXPECT_EQ (conflicts.getNumConflictingControls(), 5);
    EXPECT_EQ (findControlsSending (block, { 0, false, 70 }), juce::Array<int> ({ 0, 3, 56 }));
    EXPECT_EQ (findControlsSending (block, { 0, true, 70 }), juce::Array<int> ({ 10, 17 }));
}

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

    // Which values each byte takes: the preset's blocks above. Out of range or unknown, nothing is stored.
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
