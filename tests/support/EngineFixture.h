#pragma once

#include "HexFile.h"
#include "MessageLoop.h"
#include "ResultRecorder.h"
#include "SimulatedKarvelo.h"
#include "engine/KARVELOEditorEngine.h"

#include <gtest/gtest.h>

/** A simulated Karvelo plugged in, a MIDI manager with its ports open on it, and an engine with
    short timers on the manager, its results recorded. */
class EngineFixture : public ::testing::Test
{
protected:
    static constexpr int timeout = 150;

    EngineFixture()
    {
        manager->openMidiInput ("Karvelo");
        manager->openMidiOutput ("Karvelo");
        engine->addListener (&results);
    }

    /** A valid block of its own for every fill. */
    static ByteArray blockOf (int fill)
    {
        juce::Random random (fill);
        return HexFile::randomValidBlock (random);
    }

    KARVELOEditorPreset::Ptr presetOf (int fill)
    {
        auto preset = engine->createKarveloPreset();
        EXPECT_TRUE (preset->setData (blockOf (fill)));
        return preset;
    }

    static juce::MidiMessage acknowledgement()
    {
        const auto bytes = HexFile::read ("acknowledgement.hex");
        return juce::MidiMessage (bytes.begin(), bytes.size());
    }

    bool waitForResults (size_t count)
    {
        return MessageLoop::runUntil ([&] { return results.total() >= count; });
    }

    /** Runs the loop until every timer of the engine has run out, twice over. */
    void settle() { MessageLoop::runFor (2 * timeout + 50); }

    std::shared_ptr<VirtualMidiSystem> system = VirtualMidiSystem::create();
    SimulatedKarvelo controller{ system };
    MidiManager::Ptr manager{ new MidiManager (system->createLayer(), 5) };
    ResultRecorder results; // outlives the engine
    KARVELOEditorEngine::Ptr engine{ new KARVELOEditorEngine (manager, timeout, timeout) };
};
