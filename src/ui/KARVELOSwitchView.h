#pragma once

#include "ControlNumberBoxes.h"
#include "ImageToggleButton.h"
#include "model/KARVELOSwitch.h"

/** The small editor on one button of the controller: a picture of the button that toggles what it
    sends (orange "CC" for control changes, red "NOTE" for notes), the note or controller number
    ("NT:" or "CC:") and the MIDI channel ("CH:", shown from 1, stored from 0).

    Everything is shared with the control: the button's toggle state is the "TYPE" parameter, and
    the boxes are bound as ControlNumberBoxes describes. Switching the type keeps the number.
    Transparent outside its widgets.
*/
class KARVELOSwitchView
    : public juce::Component
    , public juce::ReferenceCountedObject
    , public juce::Button::Listener
{
public:
    using Ptr = juce::ReferenceCountedObjectPtr<KARVELOSwitchView>;

    explicit KARVELOSwitchView (KARVELOSwitch::Ptr control);
    ~KARVELOSwitchView() override;

    void resized() override;
    void buttonClicked (juce::Button* button) override;
    void buttonStateChanged (juce::Button* button) override;

    KARVELOSwitch::Ptr getControl() const { return control; }
    ControlNumberBoxes& getBoxes() { return boxes; }
    NumberBoxComponent<int>& getCcBox() { return boxes.getCcBox(); }
    NumberBoxComponent<int>& getChannelBox() { return boxes.getChannelBox(); }
    juce::Label& getCcLabel() { return boxes.getCcLabel(); }
    juce::Label& getChannelLabel() { return boxes.getChannelLabel(); }
    juce::Label& getTypeLabel() { return *typeLabel; }
    ImageToggleButton& getTypeButton() { return *typeButton; }

private:
    void showType();

    KARVELOSwitch::Ptr control;
    ControlNumberBoxes boxes;
    std::unique_ptr<juce::Label> typeLabel;
    ImageToggleButton::Ptr typeButton;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (KARVELOSwitchView)
};
