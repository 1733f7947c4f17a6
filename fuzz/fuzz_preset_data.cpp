// The preset's validation and store: any bytes go to isValidData and setData.
//
// Invariants: setData accepts exactly when isValidData does, and both exactly when the bytes are a
// valid block (138 bytes, all 0..127, every TYPE byte 0 or 1); isValidData changes nothing; an
// accepted block is what getData returns afterwards and what every control holds; a refused one
// leaves the preset as it was.

#include "FuzzSupport.h"
#include "HexFile.h"
#include "model/KARVELOEditorPreset.h"

namespace
{
struct State
{
    KARVELOEditorPreset::Ptr preset{ new KARVELOEditorPreset() };

    /** The block every input starts from: the factory preset's. */
    ByteArray reference;
};

State* state = nullptr;

int valueOf (const MEditorControl& control, const juce::String& name)
{
    return static_cast<int> (control.getParameterValue (name).getValue());
}

/** Every control holds its slice of the block, in the layout the preset documents. */
void requireControlsHold (const KARVELOEditorPreset& preset, const ByteArray& block)
{
    using namespace ParameterNames;

    for (int i = 0; i < KARVELOEditorPreset::numKnobs; ++i)
    {
        const auto& knob = *preset.getKnob (i);
        FuzzSupport::require (valueOf (knob, midiChannel) == block[2 * i]
                                  && valueOf (knob, cc) == block[2 * i + 1],
                              "a knob does not hold its slice of the stored block");
    }

    for (int i = 0; i < KARVELOEditorPreset::numFaders; ++i)
    {
        const auto& fader = *preset.getFader (i);
        const auto offset = 48 + 2 * i;
        FuzzSupport::require (valueOf (fader, midiChannel) == block[offset]
                                  && valueOf (fader, cc) == block[offset + 1],
                              "a fader does not hold its slice of the stored block");
    }

    for (int i = 0; i < KARVELOEditorPreset::numSwitches; ++i)
    {
        const auto& button = *preset.getSwitch (i);
        const auto offset = 66 + 3 * i;
        FuzzSupport::require (valueOf (button, midiChannel) == block[offset]
                                  && valueOf (button, type) == block[offset + 1]
                                  && valueOf (button, cc) == block[offset + 2],
                              "a button does not hold its slice of the stored block");
    }
}
} // namespace

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    FuzzSupport::initialiseJuce();
    state = new State();

    const auto file = HexFile::read ("factory_preset.hex");
    FuzzSupport::require (file.size() == 146, "tests/data/factory_preset.hex is not a 146-byte preset file");
    state->reference = ByteArray (file.begin() + 7, FuzzSupport::blockSize);
    FuzzSupport::require (FuzzSupport::isValidBlock (state->reference), "the factory block is not valid");

    // The warm-up input: the factory block itself.
    LLVMFuzzerTestOneInput (state->reference.begin(), static_cast<size_t> (state->reference.size()));
    FuzzSupport::cleanUpAtExit (
        []
        {
            delete state;
            state = nullptr;
        });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const juce::uint8* data, size_t size)
{
    auto& preset = *state->preset;
    const auto& reference = state->reference;
    const ByteArray bytes (data, static_cast<int> (size));

    FuzzSupport::require (preset.setData (reference), "the preset refused the factory block");

    const auto expected = FuzzSupport::isValidBlock (data, size);
    const auto valid = preset.isValidData (bytes);

    FuzzSupport::require (preset.getData() == reference, "isValidData changed the preset");
    FuzzSupport::require (valid == expected, expected ? "isValidData refused a valid block"
                                                      : "isValidData accepted an invalid block");

    const auto stored = preset.setData (bytes);
    FuzzSupport::require (stored == valid, "setData and isValidData disagree");

    const auto after = preset.getData();
    FuzzSupport::require (after.size() == preset.getDataSize() && after.size() == FuzzSupport::blockSize,
                          "getData returned a block of the wrong size");

    if (stored)
    {
        FuzzSupport::require (after == bytes, "getData does not return the block just stored");
        requireControlsHold (preset, bytes);
    }
    else
    {
        FuzzSupport::require (after == reference, "a refused block changed the preset");
        requireControlsHold (preset, reference);
    }

    return 0;
}
