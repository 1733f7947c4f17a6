#pragma once

#include "ControlNumberBoxes.h"
#include "model/KARVELOKnob.h"

/** The small editor under one knob or fader: its controller number ("CC:") and its MIDI channel
    ("CH:"), shown from 1 to 16 and stored from 0 to 15, both shared with the control (see
    ControlNumberBoxes).

    Transparent: the panel's picture of the controller shows through.
*/
class KARVELOKnobView
    : public juce::Component
    , public juce::ReferenceCountedObject
{
public:
    using Ptr = juce::ReferenceCountedObjectPtr<KARVELOKnobView>;

    explicit KARVELOKnobView (KARVELOKnob::Ptr control);
    ~KARVELOKnobView() override;

    void resized() override;

    KARVELOKnob::Ptr getControl() const { return control; }
    ControlNumberBoxes& getBoxes() { return boxes; }
    NumberBoxComponent<int>& getCcBox() { return boxes.getCcBox(); }
    NumberBoxComponent<int>& getChannelBox() { return boxes.getChannelBox(); }
    juce::Label& getCcLabel() { return boxes.getCcLabel(); }
    juce::Label& getChannelLabel() { return boxes.getChannelLabel(); }

private:
    KARVELOKnob::Ptr control;
    ControlNumberBoxes boxes;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (KARVELOKnobView)
};
