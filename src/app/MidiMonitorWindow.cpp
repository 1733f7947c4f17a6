#include "MidiMonitorWindow.h"

MidiMonitorWindow::MidiMonitorWindow (MidiTraffic::Ptr traffic,
                                      MidiMonitorComponent::ActivePresetBlock activePresetBlock)
    : juce::DocumentWindow (title, juce::Colours::black,
                            juce::DocumentWindow::minimiseButton | juce::DocumentWindow::closeButton, true)
    , monitor (new MidiMonitorComponent (std::move (traffic), std::move (activePresetBlock)))
{
    setUsingNativeTitleBar (true);
    setContentOwned (monitor, true);
    setResizable (true, false);
    setResizeLimits (360, 200, 4096, 4096);
}

MidiMonitorWindow::~MidiMonitorWindow()
{
    clearContentComponent();
}

void MidiMonitorWindow::closeButtonPressed()
{
    setVisible (false);
}
