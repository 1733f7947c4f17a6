#include "StandInDevice.h"

#include <cassert>

struct StandInDevice::Inbox
{
    void receive (const StandInSequencer::StoredEvent& stored)
    {
        snd_midi_event_t* decoder = nullptr;
        snd_midi_event_new (0, &decoder);
        Bytes bytes (stored.data.size() + 3);
        const auto size =
            snd_midi_event_decode (decoder, bytes.data(), static_cast<long> (bytes.size()), &stored.event);
        snd_midi_event_free (decoder);
        bytes.resize (size > 0 ? static_cast<size_t> (size) : 0);

        std::function<void (const Bytes&)> handler;

        {
            const std::lock_guard<std::mutex> sl (lock);
            received.push_back (bytes);
            handler = receiver;
        }

        if (handler)
            handler (bytes);
    }

    mutable std::mutex lock;
    std::vector<Bytes> received;
    std::function<void (const Bytes&)> receiver;
};

StandInDevice::StandInDevice (std::string clientName, std::vector<PortSpec> portSpecs)
    : name (std::move (clientName))
    , ports (std::move (portSpecs))
    , inbox (std::make_shared<Inbox>())
{
}

StandInDevice::~StandInDevice()
{
    unplug();
}

int StandInDevice::plugIn (int id)
{
    unplug();
    std::vector<std::pair<std::string, unsigned int>> portsToMake;

    for (auto& port : ports)
        portsToMake.emplace_back (port.name, port.capabilities);

    clientId = StandInSequencer::get().addDeviceClient (
        name, portsToMake, [inbox = inbox] (const StandInSequencer::StoredEvent& e) { inbox->receive (e); },
        id);
    assert (clientId > 0);
    return clientId;
}

void StandInDevice::unplug()
{
    if (clientId >= 0)
        StandInSequencer::get().closeClient (clientId);

    clientId = -1;
}

int StandInDevice::send (snd_seq_event_t event, const Bytes& data, int port)
{
    snd_seq_ev_set_source (&event, static_cast<unsigned char> (port));
    snd_seq_ev_set_subs (&event);
    snd_seq_ev_set_direct (&event);
    return StandInSequencer::get().deliver (clientId, event, data);
}

int StandInDevice::sendSysex (const Bytes& bytes, int port)
{
    snd_seq_event_t event;
    snd_seq_ev_clear (&event);
    event.type = SND_SEQ_EVENT_SYSEX;
    event.flags = SND_SEQ_EVENT_LENGTH_VARIABLE;
    event.data.ext.len = static_cast<unsigned int> (bytes.size());
    return send (event, bytes, port);
}

void StandInDevice::sendMessages (const Bytes& bytes, int port)
{
    snd_midi_event_t* encoder = nullptr;
    snd_midi_event_new (16, &encoder);
    const auto* next = bytes.data();
    auto left = static_cast<long> (bytes.size());

    while (left > 0)
    {
        snd_seq_event_t event;
        snd_seq_ev_clear (&event);
        const auto used = snd_midi_event_encode (encoder, next, left, &event);

        if (used <= 0)
            break;

        next += used;
        left -= used;

        if (event.type != SND_SEQ_EVENT_NONE)
            send (event, {}, port);
    }

    snd_midi_event_free (encoder);
}

std::vector<StandInDevice::Bytes> StandInDevice::getReceived() const
{
    const std::lock_guard<std::mutex> sl (inbox->lock);
    return inbox->received;
}

void StandInDevice::setReceiver (std::function<void (const Bytes&)> receiver)
{
    const std::lock_guard<std::mutex> sl (inbox->lock);
    inbox->receiver = std::move (receiver);
}
