#pragma once

#include "MidiSetupComponent.h"

/** The "MIDI Setup" window. Apply and OK replace every open port with the chosen input and output;
    OK and Cancel then close the window, like its close button. */
class MidiSetupWindow
    : public juce::DocumentWindow
    , public juce::Button::Listener
    , public juce::ReferenceCountedObject
{
public:
    using Ptr = juce::ReferenceCountedObjectPtr<MidiSetupWindow>;

    /** What the window needs from the application: closing it drops the window, and with it the
        panel and its buttons. */
    class Owner
    {
    public:
        virtual ~Owner() = default;
        virtual void closeMidiSetupWindow() = 0;
    };

    MidiSetupWindow (MidiSetupComponent::Ptr panel, MidiManager::Ptr midiManager, Owner& owner);
    ~MidiSetupWindow() override;

    void closeButtonPressed() override;
    void buttonClicked (juce::Button* button) override;

    MidiSetupComponent& getPanel() { return *panel; }

private:
    MidiSetupComponent::Ptr panel;
    MidiManager::Ptr midiManager;
    Owner& owner;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MidiSetupWindow)
};
