#pragma once

#include "NumberBoxComponent.h"
#include "model/MEditorControl.h"

/** The two boxes every knob and switch view has, each with its caption attached on the left, in
    white 12-pixel text: the controller or note number ("CC:") and the MIDI channel ("CH:").

    The number box's text value is the control's "CC" value itself. The channel box follows the
    control's "MIDI CHANNEL" through channelValue, shown from 1 to 16 and stored from 0 to 15, as
    text like "CC". An edit is a store into the model; a store into the model shows here, and
    replaces an entry being typed. A stored channel the user could not enter (the model allows 0 to
    127) is left as it is: the box shows it plus one in its warning colour, with a tooltip that says
    how to replace it, until the user enters a channel from 1 to 16.

    Each box's tooltip names the control and what the box sets ("Strip 3, row 2 knob: MIDI channel,
    1 to 16"); when other controls send the same message, both boxes are marked and their tooltips
    name those controls too.
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

    /** The control's name at the start of the tooltips: "Strip 3, row 2 knob". */
    void setCaption (const juce::String& caption);

    /** Whether the number box holds a note number (a button sending notes) or a controller number. */
    void setNumberIsNote (bool isNote);

    /** Marks both boxes as sending what the named controls send too ("strip 5 fader"), and says so
        in their tooltips; no names takes the mark away. */
    void showConflictWith (const juce::StringArray& otherControls);

    NumberBoxComponent<int>& getCcBox() { return ccBox; }
    NumberBoxComponent<int>& getChannelBox() { return channelBox; }
    juce::Label& getCcLabel() { return ccLabel; }
    juce::Label& getChannelLabel() { return channelLabel; }

private:
    void numberBoxValueChanged (NumberBoxComponent<int>* box) override;
    void valueChanged (juce::Value& value) override;
    juce::String describe (const NumberBoxComponent<int>& box) const;

    NumberBoxComponent<int> ccBox, channelBox;
    juce::Label ccLabel{ "CC:", "CC:" }, channelLabel{ "CH:", "CH:" };
    juce::Value channelValue;
    juce::String caption, conflictLine;
    bool numberIsNote = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ControlNumberBoxes)
};
