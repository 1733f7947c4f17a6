#pragma once

#include "MidiDeviceListBoxModel.h"
#include "engine/MidiManager.h"
#include "ui/CustomLookForAuxiliaryWindows.h"
#include "ui/ReferenceCountedImageButton.h"

/** The MIDI Setup panel: the INPUT and OUTPUT device lists, with the ports the MIDI manager has
    open preselected, and the Cancel, OK and Apply buttons. Choosing a row changes nothing by itself. */
class MidiSetupComponent
    : public juce::Component
    , public juce::ReferenceCountedObject
{
public:
    using Ptr = juce::ReferenceCountedObjectPtr<MidiSetupComponent>;

    static constexpr int panelHeight = 275;

    MidiSetupComponent (ReferenceCountedImageButton::Ptr ok, ReferenceCountedImageButton::Ptr cancel,
                        ReferenceCountedImageButton::Ptr apply);
    ~MidiSetupComponent() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    /** Lists the devices the system offers now and selects the first open input and output. */
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

private:
    static void selectRowsNamed (juce::ListBox& list, const MidiDeviceListBoxModel& model,
                                 const juce::String& name);

    // The models outlive the lists that show them.
    std::unique_ptr<MidiDeviceListBoxModel> inputModel, outputModel;
    std::unique_ptr<juce::ListBox> inputList, outputList;
    std::unique_ptr<juce::Label> inputLabel, outputLabel;
    ReferenceCountedImageButton::Ptr okButton, cancelButton, applyButton;
    CustomLookForAuxiliaryWindows lookAndFeel;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MidiSetupComponent)
};
