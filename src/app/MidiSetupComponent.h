#pragma once

#include "MidiDeviceListBoxModel.h"
#include "engine/MidiManager.h"
#include "ui/CustomLookForAuxiliaryWindows.h"
#include "ui/ReferenceCountedImageButton.h"

/** The MIDI Setup panel: the INPUT and OUTPUT device lists, with the ports the MIDI manager has
    open preselected, and the Cancel, OK and Apply buttons. Choosing a row changes nothing by itself.

    While the panel is shown its lists follow devices plugged in and pulled out, keeping the user's
    choice where that device is still listed. An empty list says so, with a hint.
*/
class MidiSetupComponent
    : public juce::Component
    , public juce::ReferenceCountedObject
    , private juce::Timer
{
public:
    using Ptr = juce::ReferenceCountedObjectPtr<MidiSetupComponent>;

    static constexpr int panelHeight = 275;

    /** How often the shown lists are compared with the system's. */
    static constexpr int listRefreshMilliseconds = 500;

    static constexpr const char* noInputsText = "No MIDI inputs found";
    static constexpr const char* noOutputsText = "No MIDI outputs found";
    static constexpr const char* emptyListHint =
        "Plug the controller in. If it still does not show, your user may not be allowed to use "
        "the sound devices: add it to the audio group and log in again.";

    MidiSetupComponent (ReferenceCountedImageButton::Ptr ok, ReferenceCountedImageButton::Ptr cancel,
                        ReferenceCountedImageButton::Ptr apply);
    ~MidiSetupComponent() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    /** Lists the devices the system offers now and selects the first open input and output; from
        then on the lists follow the system's while the panel is showing. */
    void refreshDeviceLists (MidiManager& midiManager);

    /** Selects every row of that exact name (the last one stays selected). */
    void selectInputDevice (const juce::String& name);
    void selectOutputDevice (const juce::String& name);

    juce::String getSelectedInputDeviceName() const;
    juce::String getSelectedOutputDeviceName() const;

    juce::ListBox& getInputList() { return *inputList; }
    juce::ListBox& getOutputList() { return *outputList; }
    juce::Label& getInputLabel() { return *inputLabel; }
    juce::Label& getOutputLabel() { return *outputLabel; }

    /** The text shown over a list with no device, empty while it has one. */
    juce::String getInputListMessage() const;
    juce::String getOutputListMessage() const;

private:
    void timerCallback() override;

    /** Shows these names in the list, keeping the selected device selected when it is among them. */
    static void showDevices (juce::ListBox& list, MidiDeviceListBoxModel& model, juce::Label& emptyMessage,
                             const juce::StringArray& names, const juce::String& whenEmpty);

    static void selectRowsNamed (juce::ListBox& list, const MidiDeviceListBoxModel& model,
                                 const juce::String& name);

    // The models outlive the lists that show them.
    std::unique_ptr<MidiDeviceListBoxModel> inputModel, outputModel;
    std::unique_ptr<juce::ListBox> inputList, outputList;
    std::unique_ptr<juce::Label> inputLabel, outputLabel;
    juce::Label inputEmptyMessage, outputEmptyMessage;
    MidiManager::Ptr devices;
    ReferenceCountedImageButton::Ptr okButton, cancelButton, applyButton;
    CustomLookForAuxiliaryWindows lookAndFeel;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MidiSetupComponent)
};
