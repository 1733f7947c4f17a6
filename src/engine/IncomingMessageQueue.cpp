#include "IncomingMessageQueue.h"

IncomingMessageQueue::IncomingMessageQueue (int replyLength, Handler h)
    : expectedReplyLength (replyLength)
    , handler (std::move (h))
{
}

IncomingMessageQueue::~IncomingMessageQueue()
{
    cancelPendingUpdate();
}

void IncomingMessageQueue::handleIncomingMidiMessage (MidiDeviceLayer::Input*,
                                                      const juce::MidiMessage& message)
{
    const auto* data = message.getRawData();
    const auto size = message.getRawDataSize();
    const auto kind = SysExProtocol::recognise (data, size, expectedReplyLength);

    if (kind == SysExProtocol::MessageKind::ignored)
        return;

    {
        const juce::ScopedLock sl (lock);
        pending.push_back ({ kind, ByteArray (data, size) });
    }

    triggerAsyncUpdate();
}

void IncomingMessageQueue::handleAsyncUpdate()
{
    std::vector<Incoming> arrived;

    {
        const juce::ScopedLock sl (lock);
        arrived.swap (pending);
    }

    for (auto& incoming : arrived)
        handler (incoming.kind, incoming.message);
}
