#pragma once

#include "MidiManager.h"
#include "SysExProtocol.h"

#include <functional>

/** Carries the controller's acknowledgements and replies from the MIDI input thread to the
    message thread, in the order they arrived.

    On the input thread a message is only recognised and copied; everything else is dropped there.
    The handler runs on the message thread. The queue is the engine's listener on the MIDI manager,
    and a separate object on purpose: the input thread touches nothing but the queue, which the
    engine removes from the manager before any part of it is destroyed.
*/
class IncomingMessageQueue
    : public MidiManager::Listener
    , private juce::AsyncUpdater
{
public:
    using Handler = std::function<void (SysExProtocol::MessageKind kind, const ByteArray& message)>;

    IncomingMessageQueue (int expectedReplyLength, Handler handler);
    ~IncomingMessageQueue() override;

    /** Called on the MIDI input thread. */
    void handleIncomingMidiMessage (MidiDeviceLayer::Input* source,
                                    const juce::MidiMessage& message) override;

private:
    struct Incoming
    {
        SysExProtocol::MessageKind kind;
        ByteArray message;
    };

    // Called on the message thread: hands what arrived to the handler, oldest first.
    void handleAsyncUpdate() override;

    const int expectedReplyLength;
    const Handler handler;
    juce::CriticalSection lock;
    std::vector<Incoming> pending;
};
