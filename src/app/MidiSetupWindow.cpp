#include "MidiSetupWindow.h"

MidiSetupWindow::MidiSetupWindow (MidiSetupComponent::Ptr setupPanel, MidiManager::Ptr manager,
                                  Owner& windowOwner)
    : juce::DocumentWindow ("MIDI Setup", juce::Colours::black,
                            juce::DocumentWindow::minimiseButton | juce::DocumentWindow::closeButton, true)
    , panel (std::move (setupPanel))
    , midiManager (std::move (manager))
    , owner (windowOwner)
{
    setUsingNativeTitleBar (true);
    setContentNonOwned (panel.get(), true);
    setResizable (false, false);
}

MidiSetupWindow::~MidiSetupWindow()
{
    clearContentComponent();
}

void MidiSetupWindow::closeButtonPressed()
{
    owner.closeMidiSetupWindow();
}

void MidiSetupWindow::buttonClicked (juce::Button* button)
{
    const auto name = button->getName();

    if (name == "Apply" || name == "OK")
    {
        midiManager->closeAllMidiOutputs();
        midiManager->closeAllMidiInputs();
        midiManager->openMidiInput (panel->getSelectedInputDeviceName());
        midiManager->openMidiOutput (panel->getSelectedOutputDeviceName());
    }

    // Destroys this window, its panel and the button being clicked: nothing of them is touched after.
    if (name == "OK" || name == "Cancel")
        closeButtonPressed();
}
