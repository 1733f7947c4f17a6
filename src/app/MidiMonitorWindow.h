#pragma once

#include "MidiMonitorComponent.h"

/** The "MIDI Monitor" window: a resizable window around the monitor panel. Closing it only hides
    it; the application keeps it, and its history, for the next time it is asked for. */
class MidiMonitorWindow
    : public juce::DocumentWindow
    , public juce::ReferenceCountedObject
{
public:
    using Ptr = juce::ReferenceCountedObjectPtr<MidiMonitorWindow>;

    static constexpr const char* title = "MIDI Monitor";

    MidiMonitorWindow (MidiTraffic::Ptr traffic, MidiMonitorComponent::ActivePresetBlock activePresetBlock);
    ~MidiMonitorWindow() override;

    void closeButtonPressed() override;

    MidiMonitorComponent& getMonitor() { return *monitor; }

private:
    MidiMonitorComponent* monitor;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MidiMonitorWindow)
};
