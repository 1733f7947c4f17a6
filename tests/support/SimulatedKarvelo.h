#pragma once

#include "VirtualMidiDevices.h"

// A Karvelo controller on a pair of virtual ports named "Karvelo" (or as the caller names them: on
// Linux the USB MIDI driver calls them "Karvelo MIDI 1").
//
// It keeps a 138-byte preset block. A SendPreset that reaches it is stored and answered with a
// 10-byte acknowledgement; a RequestPreset is answered with a 146-byte PresetData message of its
// block. Answers reach the editor after the answer delay, in order, on the thread of its input.
class SimulatedKarvelo
{
public:
    struct Faults
    {
        bool noAnswer = false;         ///< receives and stores, never answers
        bool corruptedReply = false;   ///< a reply with a byte above 127 in its block
        bool wrongLengthReply = false; ///< a reply one byte short
        bool knobChatter = false;      ///< notes and control changes around every answer

        /** Each reply fault one time in `oneIn`, and knob chatter half of the time. */
        static Faults random (juce::Random& random, int oneIn)
        {
            Faults faults;
            faults.noAnswer = random.nextInt (oneIn) == 0;
            faults.corruptedReply = random.nextInt (oneIn) == 0;
            faults.wrongLengthReply = random.nextInt (oneIn) == 0;
            faults.knobChatter = random.nextBool();
            return faults;
        }
    };

    explicit SimulatedKarvelo (std::shared_ptr<VirtualMidiSystem> system, juce::String portName = "Karvelo");
    ~SimulatedKarvelo() { unplug(); }

    // What the controller answers to a message from the editor, F0 to F7: the acknowledgement of a
    // SendPreset, whose block it stores, or the PresetData message of its block for a RequestPreset.
    // Empty for anything else.
    static ByteArray answerTo (const ByteArray& message, ByteArray& storedBlock);

    void plugIn();
    void unplug();
    bool isPluggedIn() const { return getEditorInput() != nullptr; }

    void setAnswerDelay (int milliseconds) { answerDelay = milliseconds; }

    void setFaults (Faults newFaults)
    {
        const std::lock_guard<std::mutex> sl (lock);
        faults = newFaults;
    }

    ByteArray getBlock() const
    {
        const std::lock_guard<std::mutex> sl (lock);
        return block;
    }

    void setBlock (const ByteArray& newBlock)
    {
        const std::lock_guard<std::mutex> sl (lock);
        block = newBlock;
    }

    // Sends a message from the controller's knobs or buttons (or anything else) to the editor.
    void sendFromController (const juce::MidiMessage& message, int delayMilliseconds = 0);

    // Waits until everything sent to the editor so far, answers included, has been delivered.
    bool waitUntilIdle (int timeoutMilliseconds = 5000);

    std::shared_ptr<VirtualMidiDevice> getEditorInput() const
    {
        const std::lock_guard<std::mutex> sl (lock);
        return toEditor;
    }

    std::shared_ptr<VirtualMidiDevice> getEditorOutput() const
    {
        const std::lock_guard<std::mutex> sl (lock);
        return fromEditor;
    }

private:
    // Called on the editor's sending thread with each message it sends to the controller.
    void answer (const ByteArray& message);

    const std::shared_ptr<VirtualMidiSystem> system;
    const juce::String portName;
    mutable std::mutex lock;
    std::atomic<int> answerDelay{ 0 };
    Faults faults;
    ByteArray block;
    std::shared_ptr<VirtualMidiDevice> toEditor, fromEditor;
};
