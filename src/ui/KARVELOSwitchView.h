#pragma once

#include "ImageToggleButton.h"
#include "NumberBoxComponent.h"
#include "model/KARVELOSwitch.h"

/** The small editor on one button of the controller: a picture of the button that toggles what it
    sends (orange "CC" for control changes, red "NOTE" for notes), the note or controller number
    ("NT:" or "CC:") and the MIDI channel ("CH:", shown from 1, stored from 0).

    Everything is shared with the control: the button's toggle state is the "TYPE" parameter, the
    number box's text is "CC", and the channel box follows "MIDI CHANNEL". Switching the type keeps
    the number. Transparent outside its widgets.
*/
class KARVELOSwitchView
    : public juce::Component
    , public juce::ReferenceCountedObject
    , public juce::Button::Listener
    , public juce::Value::Listener
    , public NumberBoxComponent<int>::Listener
{
public:
    using Ptr = juce::ReferenceCountedObjectPtr<KARVELOSwitchView>;

    explicit KARVELOSwitchView (KARVELOSwitch::Ptr control);
    ~KARVELOSwitchView() override;

    void resized() override;
    void buttonClicked (juce::Button* button) override;
    void buttonStateChanged (juce::Button* button) override;
    void valueChanged (juce::Value& value) override;
    void numberBoxValueChanged (NumberBoxComponent<int>* box) override;

    KARVELOSwitch::Ptr getControl() const { return control; }
    NumberBoxComponent<int>& getCcBox() { return *ccBox; }
    NumberBoxComponent<int>& getChannelBox() { return *channelBox; }
    juce::Label& getCcLabel() { return *ccLabel; }
    juce::Label& getChannelLabel() { return *channelLabel; }
    juce::Label& getTypeLabel() { return *typeLabel; }
    ImageToggleButton& getTypeButton() { return *typeButton; }

private:
    void showType();

    KARVELOSwitch::Ptr control;
    std::unique_ptr<NumberBoxComponent<int>> ccBox, channelBox;
    juce::Value channelValue;
    std::unique_ptr<juce::Label> ccLabel, channelLabel, typeLabel;
    ImageToggleButton::Ptr typeButton;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (KARVELOSwitchView)
};
