#include "HexFile.h"
#include "KarveloResources.h"
#include "model/KARVELOEditorPreset.h"
#include "model/PresetConflicts.h"

#include <gtest/gtest.h>

TEST (Preset, FactoryPresetFollowsItsRule)
{
    KARVELOEditorPreset rule;
    EXPECT_EQ (rule.getData(), ByteArray (std::vector<juce::uint8> (138).data(), 138));

    // Strip s (1-8): its three knobs and its fader send four consecutive controller numbers, from
    // 16, 20, 24, 28 for strips 1-4 and 46, 50, 54, 58 for strips 5-8; the master fader sends 62.
    // Its buttons send notes 3s-2 (mute), 3s-1 (solo), 3s (record-arm). Everything on channel 1,
    // every button a note: what a new preset holds.
    for (int s = 1; s <= 8; ++s)
    {
        const int first = s <= 4 ? 12 + 4 * s : 26 + 4 * s;

        for (int row = 0; row < 3; ++row)
            rule.getKnob (3 * (s - 1) + row)->setParameterValue ("CC", first + row);

        rule.getFader (s - 1)->setParameterValue ("CC", first + 3);
        rule.getSwitch (s - 1)->setParameterValue ("CC", 3 * s - 2);      // mute
        rule.getSwitch (s - 1 + 16)->setParameterValue ("CC", 3 * s - 1); // solo
        rule.getSwitch (s - 1 + 8)->setParameterValue ("CC", 3 * s);      // record-arm
    }

    rule.getFader (8)->setParameterValue ("CC", 62);
    const auto typed = HexFile::read ("factory_preset.hex"); // the test vector, typed from the table
    EXPECT_EQ (ByteArray (typed.begin() + 7, 138), rule.getData());
    const auto* embedded = reinterpret_cast<const juce::uint8*> (KarveloResources::factory_preset_karvelo);
    EXPECT_EQ (ByteArray (embedded, KarveloResources::factory_preset_karveloSize), typed);
}

TEST (Preset, BlocksRoundTrip)
{
    juce::Random random (20261206);
    KARVELOEditorPreset preset;

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
}

TEST (ControlMap, CoversEveryByteOnceInReadingOrder)
{
    using namespace KARVELOControlMap;
    std::array<int, 138> owners{};
    juce::StringArray names;

    for (auto& control : getControls())
    {
        for (auto offset : { control.channelOffset, control.typeOffset, control.numberOffset })
            if (offset >= 0)
                ++owners[(size_t) offset];

        names.add (control.getName());
    }

    EXPECT_EQ (std::count (owners.begin(), owners.end(), 1), 138) << "a byte has no control or two";

    // Strip 2 as the panel shows it, and the block's own order behind it: knob 3 of strip 2 is knob
    // 5 at offset 10, its solo button is switch 17 at 117, its record-arm button switch 9 at 93.
    EXPECT_EQ (names.joinIntoString (", ", 7, 7),
               "strip 2 knob 1, strip 2 knob 2, strip 2 knob 3, strip 2 mute button, strip 2 solo button, "
               "strip 2 rec arm button, strip 2 fader");
    EXPECT_EQ (getControls()[9].channelOffset, 10);
    EXPECT_EQ (getControls()[11].channelOffset, 117);
    EXPECT_EQ (getControls()[12].channelOffset, 93);
    EXPECT_EQ (names[56], "master fader");
    EXPECT_EQ (getControls()[15].getCaption(), "Strip 3, row 2 knob");
    EXPECT_EQ (find (3, "KNOB2"), 15);
    EXPECT_EQ (find (masterStrip, "fader"), 56);
    EXPECT_EQ (find (2, "recarm"), 12);
    EXPECT_FALSE (find (9, "knob1").has_value());
}

TEST (ControlMap, Conflicts)
{
    using namespace KARVELOControlMap;
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

    EXPECT_EQ (conflicts.getOthers (0), juce::Array<int> ({ 3, 56 }));
    EXPECT_EQ (conflicts.getOthers (56), juce::Array<int> ({ 0, 3 }));
    EXPECT_EQ (conflicts.getOthers (10), juce::Array<int> ({ 17 }));
    EXPECT_FALSE (conflicts.hasConflict (24) || conflicts.hasConflict (21) || conflicts.hasConflict (1));
    EXPECT_EQ (conflicts.getNumConflictingControls(), 5);
    EXPECT_EQ (findControlsSending (block, { 0, false, 70 }), juce::Array<int> ({ 0, 3, 56 }));
    EXPECT_EQ (findControlsSending (block, { 0, true, 70 }), juce::Array<int> ({ 10, 17 }));
    EXPECT_EQ (findControlsSending (block, { 5, true, 71 }), juce::Array<int>());

    set (3, 0, 0, 3); // the button back to a note of its own
    EXPECT_EQ (PresetConflicts (block).getOthers (0), juce::Array<int> ({ 56 }));

    // Every control on one message: one group of 57, whatever the table's collisions.
    for (int i = 0; i < numControls; ++i)
        set (i, 15, 1, 127);

    EXPECT_EQ (PresetConflicts (block).getOthers (30).size(), 56);
}
