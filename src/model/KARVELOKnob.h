#pragma once

#include "MEditorControl.h"

/** A knob or a fader: it sends control changes with the controller number "CC" on the channel
    "MIDI CHANNEL" (counted from 0). Its slice of the preset data block is those two bytes. */
class KARVELOKnob
    : public MEditorControl
    , public virtual juce::ReferenceCountedObject
{
public:
    using Ptr = juce::ReferenceCountedObjectPtr<KARVELOKnob>;

    static constexpr int dataSize = 2;

    KARVELOKnob();

    ByteArray getData() const override;
    bool setData (const ByteArray& bytes) override;
    juce::String getControlType() const override;
    bool isValidData (const ByteArray& bytes) const override;

private:
    static const juce::StringArray& namesInByteOrder();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (KARVELOKnob)
};
