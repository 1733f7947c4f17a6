#pragma once

#include "NumberBoxComponent.h"
#include "model/MEditorControl.h"

#include <optional>

/** The two boxes every knob and switch view has, each with its caption attached on the left, in
    white 12-pixel text: the controller or note number ("CC:") and the MIDI channel ("CH:").

    The number box's text value is the control's "CC" value itself. The channel box follows the
    control's "MIDI CHANNEL" through channelValue, shown from 1 to 16 and stored from 0 to 15, as
    text like "CC". An edit is a store into the model; a store into the model shows here, and
    replaces an entry being typed. A stored channel the user could not enter (the model allows 0 to
    127) is left as it is: the box shows it plus one in its warning colour, with a tooltip that says
    how to replace it, until the user enters a channel from 1 to 16.
*/
class ControlNumberBoxes
    : private NumberBoxComponent<int>::Listener
    , private juce::Value::Listener
{
public:
    static constexpr int boxX = 30;

    /** Adds the boxes and their captions to the view and binds them to the control. */
    ControlNumberBoxes (juce::Component& view, const MEditorControl& control);
    ~ControlNumberBoxes() override;

    /** Places the number box at numberY and the channel box at channelY, both at boxX. */
    void setTops (int numberY, int channelY);

    NumberBoxComponent<int>& getCcBox() { return ccBox; }
    NumberBoxComponent<int>& getChannelBox() { return channelBox; }
    juce::Label& getCcLabel() { return ccLabel; }
    juce::Label& getChannelLabel() { return channelLabel; }

private:
    void numberBoxValueChanged (NumberBoxComponent<int>* box) override;
    void valueChanged (juce::Value& value) override;
    void showChannelWarning();

    NumberBoxComponent<int> ccBox, channelBox;
    juce::Label ccLabel{ "CC:", "CC:" }, channelLabel{ "CH:", "CH:" };
    juce::Value channelValue;
    std::optional<juce::SharedResourcePointer<juce::TooltipWindow>> tooltipWindow;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ControlNumberBoxes)
};
