#include "HexFile.h"
#include "KarveloResources.h"
#include "model/KARVELOEditorPreset.h"

#include <gtest/gtest.h>

namespace
{
ByteArray embeddedFactoryMessage()
{
    return ByteArray (reinterpret_cast<const juce::uint8*> (KarveloResources::factory_preset_karvelo),
                      KarveloResources::factory_preset_karveloSize);
}

int parameter (const MEditorControl& control, const juce::String& name)
{
    return static_cast<int> (control.getParameterValue (name).getValue());
}

/** A valid block with arbitrary contents: every byte 0-127, every TYPE byte 0 or 1. */
ByteArray randomValidBlock (juce::Random& random)
{
    ByteArray block;

    for (int i = 0; i < KARVELOEditorPreset::dataSize; ++i)
    {
        const bool isTypeByte = i >= KARVELOEditorPreset::switchesOffset
                                && (i - KARVELOEditorPreset::switchesOffset) % KARVELOSwitch::dataSize == 1;
        block.add (static_cast<juce::uint8> (random.nextInt (isTypeByte ? 2 : 128)));
    }

    return block;
}
} // namespace

TEST (Preset, NewPresetIsAllZeroAndHasTheControllersControls)
{
    KARVELOEditorPreset preset;

    EXPECT_EQ (preset.getDataSize(), 138);
    ByteArray zeros;
    zeros.insertMultiple (0, 0, 138);
    EXPECT_EQ (preset.getData(), zeros);

    for (int i = 0; i < 24; ++i)
        EXPECT_NE (preset.getKnob (i), nullptr);

    for (int i = 0; i < 9; ++i)
        EXPECT_NE (preset.getFader (i), nullptr);

    for (int i = 0; i < 24; ++i)
        EXPECT_NE (preset.getSwitch (i), nullptr);

    EXPECT_EQ (preset.getKnob (24), nullptr);
    EXPECT_EQ (preset.getFader (9), nullptr);
    EXPECT_EQ (preset.getSwitch (24), nullptr);
    EXPECT_EQ (preset.getKnob (-1), nullptr);
    EXPECT_EQ (preset.getFader (-1), nullptr);
    EXPECT_EQ (preset.getSwitch (-1), nullptr);
    EXPECT_EQ (preset.getFader (8)->getControlType(), "KNOB");
}

TEST (Preset, EmbeddedFactoryPresetFollowsTheControllersRule)
{
    // Strip s (1-8): its three knobs and its fader send four consecutive controller numbers, from
    // 16, 20, 24, 28 for strips 1-4 and 46, 50, 54, 58 for strips 5-8; the master fader sends 62.
    // Its buttons send notes 3s-2 (mute), 3s-1 (solo), 3s (record-arm). Everything on channel 1.
    const int firstCc[] = { 16, 20, 24, 28, 46, 50, 54, 58 };

    KARVELOEditorPreset preset;
    const auto message = embeddedFactoryMessage();
    ASSERT_EQ (message.size(), 146);
    EXPECT_EQ (ByteArray (message.begin(), 7), (ByteArray{ 0xf0, 0x47, 0x00, 0x31, 0x67, 0x01, 0x0a }));
    EXPECT_EQ (message.getLast(), 0xf7);
    ASSERT_TRUE (preset.setData (ByteArray (message.begin() + 7, 138)));

    for (int strip = 1; strip <= 8; ++strip)
    {
        SCOPED_TRACE ("strip " + std::to_string (strip));

        for (int row = 0; row < 3; ++row)
        {
            auto knob = preset.getKnob ((strip - 1) * 3 + row);
            EXPECT_EQ (parameter (*knob, "CC"), firstCc[strip - 1] + row);
            EXPECT_EQ (parameter (*knob, "MIDI CHANNEL"), 0);
        }

        EXPECT_EQ (parameter (*preset.getFader (strip - 1), "CC"), firstCc[strip - 1] + 3);

        const auto mute = preset.getSwitch (strip - 1);
        const auto recordArm = preset.getSwitch (strip - 1 + 8);
        const auto solo = preset.getSwitch (strip - 1 + 16);
        EXPECT_EQ (parameter (*mute, "CC"), 3 * strip - 2);
        EXPECT_EQ (parameter (*solo, "CC"), 3 * strip - 1);
        EXPECT_EQ (parameter (*recordArm, "CC"), 3 * strip);

        for (auto button : { mute, recordArm, solo })
        {
            EXPECT_EQ (parameter (*button, "TYPE"), 0);
            EXPECT_EQ (parameter (*button, "MIDI CHANNEL"), 0);
        }
    }

    EXPECT_EQ (parameter (*preset.getFader (8), "CC"), 62);
    EXPECT_EQ (parameter (*preset.getFader (8), "MIDI CHANNEL"), 0);
    EXPECT_EQ (preset.getData(), ByteArray (message.begin() + 7, 138));
}

TEST (Preset, SlicesSitAtTheirOffsets)
{
    ByteArray block;

    for (int i = 0; i < 138; ++i)
        block.add (static_cast<juce::uint8> (i % 120));

    for (int i = 0; i < 24; ++i)
        block.set (67 + 3 * i, static_cast<juce::uint8> (i % 2));

    KARVELOEditorPreset preset;
    ASSERT_TRUE (preset.setData (block));

    EXPECT_EQ (preset.getKnob (0)->getData(), (ByteArray{ block[0], block[1] }));
    EXPECT_EQ (preset.getKnob (23)->getData(), (ByteArray{ block[46], block[47] }));
    EXPECT_EQ (preset.getFader (0)->getData(), (ByteArray{ block[48], block[49] }));
    EXPECT_EQ (preset.getFader (8)->getData(), (ByteArray{ block[64], block[65] }));
    EXPECT_EQ (preset.getSwitch (0)->getData(), (ByteArray{ block[66], block[67], block[68] }));
    EXPECT_EQ (preset.getSwitch (8)->getData(), (ByteArray{ block[90], block[91], block[92] }));
    EXPECT_EQ (preset.getSwitch (16)->getData(), (ByteArray{ block[114], block[115], block[116] }));
    EXPECT_EQ (preset.getSwitch (23)->getData(), (ByteArray{ block[135], block[136], block[137] }));
}

TEST (Preset, EveryValidBlockRoundTripsByteForByte)
{
    juce::Random random (20261206);
    KARVELOEditorPreset preset;

    for (int run = 0; run < 2000; ++run)
    {
        const auto block = randomValidBlock (random);
        ASSERT_TRUE (preset.isValidData (block));
        ASSERT_TRUE (preset.setData (block));
        ASSERT_EQ (preset.getData(), block) << "run " << run;
    }
}

TEST (Preset, InvalidBlockIsRejectedWholeAndChangesNothing)
{
    juce::Random random (7);
    KARVELOEditorPreset preset;
    const auto before = randomValidBlock (random);
    ASSERT_TRUE (preset.setData (before));

    auto longer = before;
    longer.add (0);
    auto shorter = before;
    shorter.removeLast();

    for (const auto& bad : { HexFile::read ("block_last_byte_80.hex"), HexFile::read ("block_type_2.hex"),
                             longer, shorter, ByteArray() })
    {
        EXPECT_FALSE (preset.isValidData (bad));
        EXPECT_FALSE (preset.setData (bad));
        EXPECT_EQ (preset.getData(), before);
    }

    // Any single byte out of range anywhere spoils the whole block.
    for (int offset = 0; offset < 138; ++offset)
    {
        auto bad = randomValidBlock (random);
        bad.set (offset, static_cast<juce::uint8> (128 + random.nextInt (128)));
        ASSERT_FALSE (preset.setData (bad)) << "offset " << offset;
        ASSERT_EQ (preset.getData(), before) << "offset " << offset;
    }
}

TEST (Preset, ModelRangesAreWiderThanWhatTheViewsOffer)
{
    KARVELOEditorPreset preset;
    auto block = HexFile::read ("block_type_2.hex");
    block.set (67, 1);
    block.set (0, 0x7f);

    ASSERT_TRUE (preset.setData (block));
    EXPECT_EQ (parameter (*preset.getKnob (0), "MIDI CHANNEL"), 127);
    EXPECT_EQ (parameter (*preset.getSwitch (0), "TYPE"), 1);
}
