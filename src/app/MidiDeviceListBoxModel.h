#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** One device list of the MIDI Setup panel: the names the system listed, and the one selected. */
class MidiDeviceListBoxModel : public juce::ListBoxModel
{
public:
    int getNumRows() override;
    void paintListBoxItem (int rowNumber, juce::Graphics& g, int width, int height,
                           bool rowIsSelected) override;
    void selectedRowsChanged (int lastRowSelected) override;

    juce::String selectedDeviceName;
    juce::StringArray deviceNames;
};
