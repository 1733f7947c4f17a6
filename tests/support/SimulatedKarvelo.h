#pragma once

#include "VirtualMidiDevices.h"

/** A Karvelo controller on a pair of virtual ports named "Karvelo".

    It keeps a 138-byte preset block. A SendPreset that reaches it is stored and answered with a
    10-byte acknowledgement; a RequestPreset is answered with a 146-byte PresetData message of its
    current block. Answers go out after a configurable delay, on a thread of the controller's own.
    Faults can be switched on to see how the editor copes.
*/
class SimulatedKarvelo
{
public:
    struct Faults
    {
        bool noAnswer = false;             ///< receives and stores, never answers
        bool corruptedReply = false;       ///< a reply with a byte above 127 in its block
        bool wrongLengthReply = false;     ///< a reply one byte short
        bool unplugDuringTransfer = false; ///< pulls both cables instead of answering
        bool knobChatter = false;          ///< notes and control changes around every answer
    };

    explicit SimulatedKarvelo (std::shared_ptr<VirtualMidiSystem> system,
                               const juce::String& portName = "Karvelo");
    ~SimulatedKarvelo();

    void plugIn();
    void unplug();
    bool isPluggedIn() const;

    void setAnswerDelay (int milliseconds);
    void setFaults (Faults faults);

    ByteArray getBlock() const;
    void setBlock (const ByteArray& block);

    int getNumSendsReceived() const { return sendsReceived; }
    int getNumRequestsReceived() const { return requestsReceived; }
    int getNumAnswersSent() const { return answersSent; }

    /** Sends a message from the controller's knobs or buttons (or anything else) to the editor. */
    void sendFromController (const juce::MidiMessage& message);

    /** Waits until every message received so far has been answered and delivered. */
    bool waitUntilIdle (int timeoutMilliseconds = 5000);

    /** The ports, for tests that look at them directly. */
    std::shared_ptr<VirtualMidiSystem::InputDevice> getEditorInput() const;
    std::shared_ptr<VirtualMidiSystem::OutputDevice> getEditorOutput() const;

private:
    struct Job
    {
        ByteArray message;
        juce::uint32 due;
    };

    void receive (const juce::MidiMessage& message);
    void run();
    void answer (const ByteArray& message);
    void chatter();

    std::shared_ptr<VirtualMidiSystem> system;
    const juce::String name;

    mutable std::mutex lock;
    std::condition_variable changed;
    std::deque<Job> jobs;
    bool working = false, stopping = false;
    int answerDelay = 0;
    Faults faults;
    ByteArray block;
    std::shared_ptr<VirtualMidiSystem::InputDevice> toEditor;
    std::shared_ptr<VirtualMidiSystem::OutputDevice> fromEditor;

    std::atomic<int> sendsReceived{ 0 }, requestsReceived{ 0 }, answersSent{ 0 };
    std::thread thread;
};
