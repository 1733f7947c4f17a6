#pragma once

#include "MessageLoop.h"
#include "ResultRecorder.h"
#include "SimulatedKarvelo.h"
#include "engine/KARVELOEditorEngine.h"

#include <gtest/gtest.h>

/** A simulated Karvelo plugged in, a MIDI manager with its ports open, and an engine with short
    timers on it. */
class EngineFixture : public ::testing::Test
{
protected:
    static constexpr int timeout = 150;

    EngineFixture()
        : system (VirtualMidiSystem::create())
        , controller (system)
        , manager (new MidiManager (system->createLayer(), 5))
        , engine (new KARVELOEditorEngine (manager, timeout, timeout))
    {
        manager->openMidiInput ("Karvelo");
        manager->openMidiOutput ("Karvelo");
        engine->addListener (&results);
    }

    ~EngineFixture() override { engine->removeListener (&results); }

    KARVELOEditorPreset::Ptr presetWith (const ByteArray& block)
    {
        auto preset = engine->createKarveloPreset();
        EXPECT_TRUE (preset->setData (block));
        return preset;
    }

    static SimulatedKarvelo::Faults only (bool SimulatedKarvelo::Faults::*fault)
    {
        SimulatedKarvelo::Faults faults;
        faults.*fault = true;
        return faults;
    }

    static ByteArray blockOf (int fill)
    {
        ByteArray block;

        for (int i = 0; i < 138; ++i)
            block.add (
                static_cast<juce::uint8> (i >= 66 && (i - 66) % 3 == 1 ? (fill & 1) : (fill + i) & 0x7f));

        return block;
    }

    /** Sends or requests while watching that no result arrives inside the call. */
    template <typename Operation>
    void call (Operation&& operation)
    {
        results.call (std::forward<Operation> (operation));
    }

    bool waitForResults (size_t count, int timeoutMilliseconds = 5000)
    {
        return MessageLoop::runUntil ([&] { return results.total() >= count; }, timeoutMilliseconds);
    }

    /** Runs the loop long enough for every timer of the engine to have run out, twice over. */
    void settle() { MessageLoop::runFor (2 * timeout + 50); }

    std::shared_ptr<VirtualMidiSystem> system;
    SimulatedKarvelo controller;
    MidiManager::Ptr manager;
    KARVELOEditorEngine::Ptr engine;
    ResultRecorder results;
};
