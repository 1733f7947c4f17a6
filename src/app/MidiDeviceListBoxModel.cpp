#include "MidiDeviceListBoxModel.h"

int MidiDeviceListBoxModel::getNumRows()
{
    return deviceNames.size();
}

void MidiDeviceListBoxModel::paintListBoxItem (int rowNumber, juce::Graphics& g, int width, int height,
                                               bool rowIsSelected)
{
    g.fillAll (rowIsSelected ? juce::Colours::grey : juce::Colours::black);
    g.setColour (juce::Colours::white);
    g.setFont (static_cast<float> (height) * 0.7f);
    g.drawText (deviceNames[rowNumber], 5, 0, width, height, juce::Justification::centredLeft, true);
}

void MidiDeviceListBoxModel::selectedRowsChanged (int lastRowSelected)
{
    if (lastRowSelected < deviceNames.size())
        selectedDeviceName = lastRowSelected < 0 ? juce::String() : deviceNames[lastRowSelected];
}
