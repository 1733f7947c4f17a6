#pragma once

#include "engine/MidiManager.h"
#include "model/ByteArray.h"

#include <mutex>

/** Records what a MIDI manager hands its listeners: every incoming message, and the names of the
    ports closed and reopened (inputs, outputs; disconnected, then reconnected). */
struct MidiListenerRecorder : MidiManager::Listener
{
    void handleIncomingMidiMessage (MidiDeviceLayer::Input*, const juce::MidiMessage& message) override
    {
        const std::lock_guard<std::mutex> sl (lock);
        messages.emplace_back (message.getRawData(), message.getRawDataSize());
    }

    void midiInputDevicesDisconnected (juce::StringArray names) override { reports[0].addArray (names); }
    void midiOutputDevicesDisconnected (juce::StringArray names) override { reports[1].addArray (names); }
    void midiInputDevicesReconnected (juce::StringArray names) override { reports[2].addArray (names); }
    void midiOutputDevicesReconnected (juce::StringArray names) override { reports[3].addArray (names); }

    std::vector<ByteArray> getMessages() const
    {
        const std::lock_guard<std::mutex> sl (lock);
        return messages;
    }

    juce::StringArray reports[4];

private:
    mutable std::mutex lock;
    std::vector<ByteArray> messages;
};
