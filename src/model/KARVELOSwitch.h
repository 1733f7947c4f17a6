#pragma once

#include "MEditorControl.h"

/** A button: it sends either notes ("TYPE" 0) or control changes ("TYPE" 1) with the number "CC"
    on the channel "MIDI CHANNEL" (counted from 0). Its slice of the preset data block is channel,
    type and number, in this order. */
class KARVELOSwitch
    : public MEditorControl
    , public virtual juce::ReferenceCountedObject
{
public:
    using Ptr = juce::ReferenceCountedObjectPtr<KARVELOSwitch>;

    static constexpr int dataSize = 3;
    static constexpr int typeNote = 0;
    static constexpr int typeControlChange = 1;

    KARVELOSwitch();

    ByteArray getData() const override;
    bool setData (const ByteArray& bytes) override;
    juce::String getControlType() const override;
    bool isValidData (const ByteArray& bytes) const override;

private:
    static const juce::StringArray& namesInByteOrder();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (KARVELOSwitch)
};
