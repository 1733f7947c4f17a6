#pragma once

#include "NumberBoxComponent.h"
#include "model/KARVELOKnob.h"

/** The small editor under one knob or fader: its controller number ("CC:") and its MIDI channel
    ("CH:"), shown from 1 to 16 and stored from 0 to 15.

    The boxes share their values with the control: the "CC" box's text value is the control's "CC"
    parameter, and the channel box follows the control's "MIDI CHANNEL" through channelValue. An
    edit is a store into the model; a store into the model (a reply from the controller, an opened
    file) shows here. A stored channel outside 0 to 15 cannot be shown: the box keeps its number.

    Transparent: the panel's picture of the controller shows through.
*/
class KARVELOKnobView
    : public juce::Component
    , public juce::ReferenceCountedObject
    , public NumberBoxComponent<int>::Listener
    , public juce::Value::Listener
{
public:
    using Ptr = juce::ReferenceCountedObjectPtr<KARVELOKnobView>;

    explicit KARVELOKnobView (KARVELOKnob::Ptr control);
    ~KARVELOKnobView() override;

    void resized() override;
    void valueChanged (juce::Value& value) override;
    void numberBoxValueChanged (NumberBoxComponent<int>* box) override;

    KARVELOKnob::Ptr getControl() const { return control; }
    NumberBoxComponent<int>& getCcBox() { return *ccBox; }
    NumberBoxComponent<int>& getChannelBox() { return *channelBox; }
    juce::Label& getCcLabel() { return *ccLabel; }
    juce::Label& getChannelLabel() { return *channelLabel; }

private:
    KARVELOKnob::Ptr control;
    std::unique_ptr<NumberBoxComponent<int>> ccBox, channelBox;
    juce::Value channelValue;
    std::unique_ptr<juce::Label> ccLabel, channelLabel;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (KARVELOKnobView)
};
