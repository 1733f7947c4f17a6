#include "HexFile.h"
#include "KarveloResources.h"
#include "model/KARVELOEditorPreset.h"

#include <gtest/gtest.h>

namespace
{
// A valid block with arbitrary contents: every byte 0-127, every TYPE byte 0 or 1.
ByteArray randomValidBlock (juce::Random& random)
{
    ByteArray block;

    for (int i = 0; i < 138; ++i)
        block.add (static_cast<juce::uint8> (random.nextInt (i >= 66 && (i - 66) % 3 == 1 ? 2 : 128)));

    return block;
}
} // namespace

TEST (Preset, NewPresetIsAllZeroWithTheControllersControlsAndTheEmbeddedFactoryPresetFollowsItsRule)
{
    KARVELOEditorPreset rule;
    EXPECT_EQ (rule.getData(), ByteArray (std::vector<juce::uint8> (138).data(), 138));

    for (int i = -1; i <= 24; ++i)
    {
        EXPECT_EQ (rule.getKnob (i) != nullptr, i >= 0 && i < 24) << i;
        EXPECT_EQ (rule.getSwitch (i) != nullptr, i >= 0 && i < 24) << i;
        EXPECT_EQ (rule.getFader (i) != nullptr, i >= 0 && i < 9) << i;
    }

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

TEST (Preset, EveryValidBlockRoundTripsByteForByteWithEachSliceAtItsOffsetAndNoInvalidOneChangesIt)
{
    juce::Random random (20261206);
    KARVELOEditorPreset preset;

    for (int run = 0; run < 2000; ++run)
    {
        const auto block = randomValidBlock (random);
        ASSERT_TRUE (preset.isValidData (block) && preset.setData (block)) << "run " << run;
        ASSERT_EQ (preset.getData(), block) << "run " << run;

        for (int i = 0; i < 24; ++i)
        {
            ASSERT_EQ (preset.getKnob (i)->getData(), ByteArray (block.begin() + 2 * i, 2)) << i;
            ASSERT_EQ (preset.getSwitch (i)->getData(), ByteArray (block.begin() + 66 + 3 * i, 3)) << i;
        }

        for (int i = 0; i < 9; ++i)
            ASSERT_EQ (preset.getFader (i)->getData(), ByteArray (block.begin() + 48 + 2 * i, 2)) << i;
    }

    // An invalid block is rejected whole: any single byte out of range anywhere spoils it.
    const auto before = preset.getData();
    auto longer = before;
    longer.add (0);
    std::vector<ByteArray> bad{ HexFile::read ("block_type_2.hex"), longer, ByteArray (before.begin(), 137) };

    for (int offset = 0; offset < 138; ++offset)
    {
        bad.push_back (randomValidBlock (random));
        bad.back().set (offset, static_cast<juce::uint8> (128 + random.nextInt (128)));
    }

    for (auto& block : bad)
    {
        ASSERT_FALSE (preset.isValidData (block) || preset.setData (block)) << testing::PrintToString (block);
        ASSERT_EQ (preset.getData(), before);
    }
}
