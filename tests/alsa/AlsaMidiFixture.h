#pragma once

#include "AlsaKarvelo.h"
#include "MessageLoop.h"
#include "ResultRecorder.h"
#include "engine/JuceMidiDeviceLayer.h"
#include "engine/KARVELOEditorEngine.h"

#include <gtest/gtest.h>

/** Records what a MIDI manager hands its listeners: every incoming message, and the names of the
    ports closed and reopened (inputs, outputs; disconnected, then reconnected). */
struct HeardFromManager : MidiManager::Listener
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

/** A machine with the sequencer's "Midi Through" client and a Karvelo plugged in, and the editor's
    MIDI manager on JUCE's real devices, with both ports named "Karvelo" open and an engine with short
    timers on it, its results recorded. */
class AlsaMidiFixture : public ::testing::Test
{
protected:
    static constexpr int timeout = 300;

    AlsaMidiFixture()
    {
        through.plugIn (14);
        manager->addListener (&heard);
        engine->addListener (&results);
        manager->openMidiInput ("Karvelo");
        manager->openMidiOutput ("Karvelo");
    }

    ~AlsaMidiFixture() override { manager->removeListener (&heard); }

    /** The factory block, its first controller number changed to n. */
    ByteArray blockNumbered (int n) const
    {
        auto block = factoryBlock;
        block.set (1, static_cast<juce::uint8> (n & 0x7f));
        return block;
    }

    StandInDevice through{ "Midi Through", { { "Midi Through Port-0" } } };
    AlsaKarvelo karvelo;
    const ByteArray factoryBlock = karvelo.getBlock();
    HeardFromManager heard;
    ResultRecorder results; // both outlive the manager and the engine
    MidiManager::Ptr manager{ new MidiManager (std::make_unique<JuceMidiDeviceLayer>(), 5) };
    KARVELOEditorEngine::Ptr engine{ new KARVELOEditorEngine (manager, timeout, timeout) };
};
