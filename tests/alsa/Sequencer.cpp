// The snd_seq_* and snd_midi_event_* functions of the ALSA library that JUCE's Linux MIDI code calls,
// and what the kernel keeps for them, in this process: clients, their ports, the subscriptions
// between ports and each application client's queue of incoming events. Devices are added and
// removed by StandInDevice. Events are delivered at once: there are no queues of timed events.
// Signatures are checked against the real headers, which declare them.

#include "StandIn.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <utility>

using Bytes = StandInDevice::Bytes;
using Address = std::pair<int, int>; // client, port

struct _snd_seq_port_info
{
    int client, port;
    unsigned int capabilities;
    char name[64];
};

/** A client of the sequencer: an application's, whose handle it is, or a device's. */
struct _snd_seq
{
    using Stored = std::pair<snd_seq_event_t, Bytes>; // an event, with the bytes it carries

    ~_snd_seq() { close (eventFd); }

    int id = -1;
    std::map<int, snd_seq_port_info_t> ports;
    std::deque<Stored> queue; // application clients only
    int eventFd = -1;         // application clients only: readable while queued
    Stored taken;             // what snd_seq_event_input returned last, until the next call
    std::function<void (const Bytes&)> receiver; // device clients only
};

namespace
{
/** What the kernel keeps. */
struct Sequencer
{
    std::mutex lock; // held by every function that touches the rest
    std::map<int, _snd_seq> clients;
    std::vector<std::pair<Address, Address>> subscriptions; // sender, receiver
    int nextApplicationClient = 128, nextDeviceClient = 20;
};

Sequencer kernel;

/** Drops the port, or the client with all its ports when port is -1, and their subscriptions. */
int remove (int client, int port)
{
    const std::lock_guard<std::mutex> sl (kernel.lock);
    const auto at = [&] (Address a) { return a.first == client && (port < 0 || a.second == port); };
    auto& subscriptions = kernel.subscriptions;
    subscriptions.erase (std::remove_if (subscriptions.begin(), subscriptions.end(),
                                         [&] (auto& sub) { return at (sub.first) || at (sub.second); }),
                         subscriptions.end());

    if (port >= 0)
        kernel.clients.at (client).ports.erase (port);
    else
        kernel.clients.erase (client);

    return 0;
}

int subscribe (Address sender, Address receiver)
{
    const std::lock_guard<std::mutex> sl (kernel.lock);

    for (auto a : { sender, receiver })
        if (kernel.clients.count (a.first) == 0 || kernel.clients.at (a.first).ports.count (a.second) == 0)
            return -EINVAL;

    kernel.subscriptions.emplace_back (sender, receiver);
    return 0;
}

// Delivers at once to the subscribers of the event's source port, the only destination JUCE uses:
// to an application client's queue, or to a device's receiver, outside the lock. Returns the size
// written, the event and its data.
int deliver (int sourceClient, const snd_seq_event_t& event)
{
    const auto* bytes = static_cast<const unsigned char*> (event.data.ext.ptr);
    const Bytes data (bytes, bytes + event.data.ext.len);
    std::vector<std::function<void (const Bytes&)>> devices;
    {
        const std::lock_guard<std::mutex> sl (kernel.lock);

        for (auto& [sender, destination] : kernel.subscriptions)
        {
            auto& client = kernel.clients.at (destination.first);

            if (sender != Address (sourceClient, event.source.port))
                continue;

            if (client.receiver)
                devices.push_back (client.receiver);
            else if (eventfd_write (client.eventFd, 1) == 0)
            {
                client.queue.push_back ({ event, data });
                client.queue.back().first.dest.port = static_cast<unsigned char> (destination.second);
            }
        }
    }

    for (auto& receive : devices)
        receive (data);

    return static_cast<int> (sizeof (event) + data.size());
}
} // namespace

struct _snd_seq_client_info
{
    int client, numPorts;
};

// Short functions take one line each.
// clang-format off
extern "C"
{
    // Opens an application client, always nonblocking, as JUCE asks, whatever the mode. Its
    // descriptor counts the events queued.
    int snd_seq_open (snd_seq_t** handle, const char*, int, int)
    {
        const std::lock_guard<std::mutex> sl (kernel.lock);
        *handle = &kernel.clients[kernel.nextApplicationClient];
        (*handle)->id = kernel.nextApplicationClient++;
        (*handle)->eventFd = eventfd (0, EFD_NONBLOCK | EFD_CLOEXEC | EFD_SEMAPHORE);
        return 0;
    }

    int snd_seq_close (snd_seq_t* seq) { return remove (seq->id, -1); }
    int snd_seq_nonblock (snd_seq_t*, int) { return 0; }
    int snd_seq_set_client_name (snd_seq_t*, const char*) { return 0; }
    int snd_seq_client_id (snd_seq_t* seq) { return seq->id; }
    int snd_seq_poll_descriptors_count (snd_seq_t*, short) { return 1; }

    // Output never blocks here: the descriptor says only whether input is waiting.
    int snd_seq_poll_descriptors (snd_seq_t* seq, struct pollfd* pfds, unsigned int, short events)
    {
        pfds[0] = { seq->eventFd, events, 0 };
        return 1;
    }

    // The count is read from the sequencer itself: the info holds nothing.
    size_t snd_seq_system_info_sizeof() { return 1; }
    int snd_seq_system_info (snd_seq_t*, snd_seq_system_info_t*) { return 0; }

    int snd_seq_system_info_get_cur_clients (const snd_seq_system_info_t*)
    {
        const std::lock_guard<std::mutex> sl (kernel.lock);
        return static_cast<int> (kernel.clients.size());
    }

    size_t snd_seq_client_info_sizeof() { return sizeof (snd_seq_client_info_t); }
    int snd_seq_client_info_get_client (const snd_seq_client_info_t* info) { return info->client; }
    int snd_seq_client_info_get_num_ports (const snd_seq_client_info_t* info) { return info->numPorts; }

    // The first client above the one in the info (a container fresh from *_alloca holds client 0).
    int snd_seq_query_next_client (snd_seq_t*, snd_seq_client_info_t* info)
    {
        const std::lock_guard<std::mutex> sl (kernel.lock);
        const auto next = kernel.clients.upper_bound (info->client);

        if (next == kernel.clients.end())
            return -ENOENT;

        *info = { next->first, static_cast<int> (next->second.ports.size()) };
        return 0;
    }

    size_t snd_seq_port_info_sizeof() { return sizeof (snd_seq_port_info_t); }
    void snd_seq_port_info_set_client (snd_seq_port_info_t* info, int client) { info->client = client; }
    void snd_seq_port_info_set_port (snd_seq_port_info_t* info, int port) { info->port = port; }
    int snd_seq_port_info_get_port (const snd_seq_port_info_t* info) { return info->port; }
    const char* snd_seq_port_info_get_name (const snd_seq_port_info_t* info) { return info->name; }
    unsigned int snd_seq_port_info_get_capability (const snd_seq_port_info_t* info) { return info->capabilities; }

    int snd_seq_query_next_port (snd_seq_t*, snd_seq_port_info_t* info)
    {
        const std::lock_guard<std::mutex> sl (kernel.lock);
        const auto client = kernel.clients.find (info->client);

        if (client == kernel.clients.end())
            return -ENOENT;

        const auto next = client->second.ports.upper_bound (info->port);

        if (next == client->second.ports.end())
            return -ENOENT;

        *info = next->second;
        return 0;
    }

    // The lowest free port number.
    int snd_seq_create_simple_port (snd_seq_t* seq, const char* name, unsigned int caps, unsigned int)
    {
        const std::lock_guard<std::mutex> sl (kernel.lock);
        int port = 0;

        while (seq->ports.count (port) != 0)
            ++port;

        auto& info = seq->ports[port] = { seq->id, port, caps, {} };
        std::snprintf (info.name, sizeof (info.name), "%s", name);
        return port;
    }

    int snd_seq_delete_simple_port (snd_seq_t* seq, int port) { return remove (seq->id, port); }
    int snd_seq_connect_from (snd_seq_t* seq, int myPort, int client, int port) { return subscribe ({ client, port }, { seq->id, myPort }); }
    int snd_seq_connect_to (snd_seq_t* seq, int myPort, int client, int port) { return subscribe ({ seq->id, myPort }, { client, port }); }
    int snd_seq_event_output_direct (snd_seq_t* seq, snd_seq_event_t* ev) { return deliver (seq->id, *ev); }

    // The oldest event, valid with its data until the next call on the handle.
    int snd_seq_event_input (snd_seq_t* seq, snd_seq_event_t** ev)
    {
        const std::lock_guard<std::mutex> sl (kernel.lock);
        eventfd_t one = 0;

        if (seq->queue.empty() || eventfd_read (seq->eventFd, &one) != 0)
            return -EAGAIN;

        seq->taken = std::move (seq->queue.front());
        seq->queue.pop_front();
        seq->taken.first.data.ext.ptr = seq->taken.second.data();
        *ev = &seq->taken.first;
        return 1;
    }

    // Events come from the kernel one at a time: the library's own buffer, all that JUCE asks about, is
    // always empty after a read, and JUCE polls again for the next.
    int snd_seq_event_input_pending (snd_seq_t*, int) { return 0; }

    int snd_seq_free_event (snd_seq_event_t*) { return 0; } // an event taken belongs to its handle

    // The coder keeps no state, so there is none: JUCE hands the encoder one whole message at a time
    // and reads an incoming event only through the decoder. Every event carries its bytes as
    // variable-length data.
    int snd_midi_event_new (size_t, snd_midi_event_t** dev) { *dev = nullptr; return 0; }
    void snd_midi_event_free (snd_midi_event_t*) {}
    void snd_midi_event_reset_encode (snd_midi_event_t*) {}
    void snd_midi_event_reset_decode (snd_midi_event_t*) {}

    long snd_midi_event_encode (snd_midi_event_t*, const unsigned char* buf, long count, snd_seq_event_t* ev)
    {
        ev->type = SND_SEQ_EVENT_USR_VAR0;
        ev->flags = SND_SEQ_EVENT_LENGTH_VARIABLE;
        ev->data.ext = { static_cast<unsigned int> (count), const_cast<unsigned char*> (buf) };
        return count;
    }

    long snd_midi_event_decode (snd_midi_event_t*, unsigned char* buf, long count, const snd_seq_event_t* ev)
    {
        if (ev->data.ext.len > static_cast<size_t> (count))
            return -ENOMEM;

        std::memcpy (buf, ev->data.ext.ptr, ev->data.ext.len);
        return static_cast<long> (ev->data.ext.len);
    }
} // extern "C"
// clang-format on

void StandInDevice::plugIn()
{
    unplug();
    const std::lock_guard<std::mutex> sl (kernel.lock);
    auto& client =
        kernel.clients[clientId = std::exchange (kernel.nextDeviceClient, kernel.nextDeviceClient + 4)];
    auto& port = client.ports[0] = { clientId, 0, capabilities, {} };
    std::snprintf (port.name, sizeof (port.name), "%s", portName.c_str());
    client.receiver = receiver;
}

void StandInDevice::unplug()
{
    if (clientId >= 0)
        remove (std::exchange (clientId, -1), -1);
}

void StandInDevice::send (const Bytes& bytes) const
{
    snd_seq_event_t event{};
    snd_midi_event_encode (nullptr, bytes.data(), static_cast<long> (bytes.size()), &event);
    deliver (clientId, event);
}
