// The snd_seq_* functions of the ALSA library that JUCE's Linux MIDI code calls, and what the kernel
// keeps for them, in this process: clients, their ports, the subscriptions between ports and each
// application client's queue of incoming events. Devices are added and removed by StandInDevice.
// Events are delivered at once: there are no queues of timed events. Signatures are checked against
// the real headers, which declare them.

#include "StandIn.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <utility>

namespace
{
/** An event with the data of a variable-length one kept beside it. */
struct Stored
{
    snd_seq_event_t event{};
    StandInDevice::Bytes data;
};

struct Port
{
    std::string name;
    unsigned int capabilities = 0;
};

struct Client
{
    std::string name;
    std::map<int, Port> ports;
    std::deque<Stored> queue;                     // application clients only
    int eventFd = -1;                             // application clients only: readable while queued
    std::function<void (const Stored&)> receiver; // device clients only
};

bool same (snd_seq_addr_t a, snd_seq_addr_t b)
{
    return a.client == b.client && a.port == b.port;
}

bool isVariable (const snd_seq_event_t& event)
{
    return (event.flags & SND_SEQ_EVENT_LENGTH_MASK) != SND_SEQ_EVENT_LENGTH_FIXED;
}

/** Every member is called with the lock held, and calls nothing outside. */
struct Sequencer
{
    static constexpr size_t inputPoolSize = 1000; // events an application client's queue holds

    Port* findPort (snd_seq_addr_t address)
    {
        const auto client = clients.find (address.client);

        if (client == clients.end())
            return nullptr;

        const auto port = client->second.ports.find (address.port);
        return port == client->second.ports.end() ? nullptr : &port->second;
    }

    /** Drops the port (any port of the client when -1), with its subscriptions. */
    void remove (int client, int port)
    {
        subscriptions.erase (std::remove_if (subscriptions.begin(), subscriptions.end(),
                                             [&] (const auto& s)
                                             {
                                                 for (auto a : { s.first, s.second })
                                                     if (a.client == client && (port < 0 || a.port == port))
                                                         return true;

                                                 return false;
                                             }),
                             subscriptions.end());
    }

    int firstFreeAbove (int after) const
    {
        while (clients.count (++after) != 0)
            ;
        return after;
    }

    std::mutex lock;
    std::condition_variable changed;
    std::map<int, Client> clients{
        { SND_SEQ_CLIENT_SYSTEM,
          { "System",
            { { SND_SEQ_PORT_SYSTEM_TIMER, { "Timer", StandInDevice::readWrite } },
              { SND_SEQ_PORT_SYSTEM_ANNOUNCE,
                { "Announce", SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ } } },
            {},
            -1,
            {} } }
    };
    std::vector<std::pair<snd_seq_addr_t, snd_seq_addr_t>> subscriptions; // sender, receiver
    int nextDeviceClient = 20;
};

Sequencer& sequencer()
{
    static Sequencer s;
    return s;
}

void closeClient (int id)
{
    auto& s = sequencer();
    {
        const std::lock_guard<std::mutex> sl (s.lock);
        s.remove (id, -1);

        if (s.clients.count (id) != 0 && s.clients.at (id).eventFd >= 0)
            close (s.clients.at (id).eventFd);

        s.clients.erase (id);
    }
    s.changed.notify_all();
}

// Delivers at once to the subscribers of the event's source port, the only destination JUCE uses.
// Each copy gets the sender's client and the receiver's address. Returns the number reached.
int deliver (int sourceClient, const snd_seq_event_t& event, const StandInDevice::Bytes& data)
{
    auto& s = sequencer();
    std::vector<std::pair<std::function<void (const Stored&)>, Stored>> toDevices;
    int reached = 0;

    {
        const std::lock_guard<std::mutex> sl (s.lock);
        const snd_seq_addr_t source{ static_cast<unsigned char> (sourceClient), event.source.port };

        if (s.findPort (source) == nullptr || event.dest.client != SND_SEQ_ADDRESS_SUBSCRIBERS)
            return -EINVAL;

        for (auto& [sender, destination] : s.subscriptions)
        {
            if (! same (sender, source) || event.type == SND_SEQ_EVENT_NONE)
                continue;

            auto& client = s.clients.at (destination.client);
            Stored stored{ event, data };
            stored.event.source = source;
            stored.event.dest = destination;

            if (client.receiver)
                toDevices.emplace_back (client.receiver, std::move (stored));
            else if (client.queue.size() < Sequencer::inputPoolSize)
            {
                // The descriptor is raised when the queue stops being empty, lowered when it empties.
                const eventfd_t one = 1;

                if (client.queue.empty() && write (client.eventFd, &one, sizeof (one)) != sizeof (one))
                    return -EIO;

                client.queue.push_back (std::move (stored));
            }
            else
                continue;

            ++reached;
        }
    }

    s.changed.notify_all();

    for (auto& [receiver, stored] : toDevices)
    {
        if (isVariable (stored.event))
            stored.event.data.ext.ptr = stored.data.data();

        receiver (stored);
    }

    return reached;
}

snd_seq_addr_t address (int client, int port)
{
    return { static_cast<unsigned char> (client), static_cast<unsigned char> (port) };
}

int subscribe (snd_seq_addr_t sender, snd_seq_addr_t receiver)
{
    auto& s = sequencer();
    const std::lock_guard<std::mutex> sl (s.lock);

    if (s.findPort (sender) == nullptr || s.findPort (receiver) == nullptr)
        return -EINVAL;

    for (auto& [from, to] : s.subscriptions)
        if (same (from, sender) && same (to, receiver))
            return -EBUSY;

    s.subscriptions.emplace_back (sender, receiver);
    return 0;
}
} // namespace

struct _snd_seq
{
    int client = -1;
    bool blocking = true;
    Stored lastTaken; // what snd_seq_event_input returned last, until the next call
};

struct _snd_seq_system_info
{
    int currentClients;
};

struct _snd_seq_client_info
{
    int client, numPorts;
};

struct _snd_seq_port_info
{
    int client, port;
    unsigned int capabilities;
    char name[64];
};

// Short functions take one line each.
// clang-format off
extern "C"
{
    // Opens an application client, numbered from 128 (the lowest free) and named "Client-<id>".
    int snd_seq_open (snd_seq_t** handle, const char*, int, int mode)
    {
        auto& s = sequencer();
        const std::lock_guard<std::mutex> sl (s.lock);
        const auto id = s.firstFreeAbove (127);
        auto& client = s.clients[id];
        client.name = "Client-" + std::to_string (id);
        client.eventFd = eventfd (0, EFD_NONBLOCK | EFD_CLOEXEC);
        *handle = new _snd_seq{ id, (mode & SND_SEQ_NONBLOCK) == 0, {} };
        return 0;
    }

    int snd_seq_close (snd_seq_t* seq) { closeClient (seq->client); delete seq; return 0; }
    int snd_seq_nonblock (snd_seq_t* seq, int nonblock) { seq->blocking = nonblock == 0; return 0; }
    int snd_seq_set_client_name (snd_seq_t* seq, const char* name) { const std::lock_guard<std::mutex> sl (sequencer().lock); sequencer().clients.at (seq->client).name = name; return 0; }
    int snd_seq_client_id (snd_seq_t* seq) { return seq->client; }
    int snd_seq_poll_descriptors_count (snd_seq_t*, short) { return 1; }

    // Output never blocks here: the descriptor says only whether input is waiting.
    int snd_seq_poll_descriptors (snd_seq_t* seq, struct pollfd* pfds, unsigned int, short events)
    {
        const std::lock_guard<std::mutex> sl (sequencer().lock);
        pfds[0] = { sequencer().clients.at (seq->client).eventFd, events, 0 };
        return 1;
    }

    size_t snd_seq_system_info_sizeof() { return sizeof (snd_seq_system_info_t); }
    int snd_seq_system_info (snd_seq_t*, snd_seq_system_info_t* info) { const std::lock_guard<std::mutex> sl (sequencer().lock); info->currentClients = static_cast<int> (sequencer().clients.size()); return 0; }
    int snd_seq_system_info_get_cur_clients (const snd_seq_system_info_t* info) { return info->currentClients; }
    size_t snd_seq_client_info_sizeof() { return sizeof (snd_seq_client_info_t); }
    int snd_seq_client_info_get_client (const snd_seq_client_info_t* info) { return info->client; }
    int snd_seq_client_info_get_num_ports (const snd_seq_client_info_t* info) { return info->numPorts; }

    // The first client above the one in the info: a container fresh from *_alloca starts at client
    // 0, and so skips the System client, as the kernel's query does.
    int snd_seq_query_next_client (snd_seq_t*, snd_seq_client_info_t* info)
    {
        const std::lock_guard<std::mutex> sl (sequencer().lock);
        const auto next = sequencer().clients.upper_bound (info->client);

        if (next == sequencer().clients.end())
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
        const std::lock_guard<std::mutex> sl (sequencer().lock);
        const auto client = sequencer().clients.find (info->client);

        if (client == sequencer().clients.end())
            return -ENOENT;

        const auto next = client->second.ports.upper_bound (info->port);

        if (next == client->second.ports.end())
            return -ENOENT;

        info->port = next->first;
        info->capabilities = next->second.capabilities;
        std::strncpy (info->name, next->second.name.c_str(), sizeof (info->name) - 1);
        info->name[sizeof (info->name) - 1] = 0;
        return 0;
    }

    // The lowest free port number.
    int snd_seq_create_simple_port (snd_seq_t* seq, const char* name, unsigned int caps, unsigned int)
    {
        const std::lock_guard<std::mutex> sl (sequencer().lock);
        auto& ports = sequencer().clients.at (seq->client).ports;
        int port = 0;

        while (ports.count (port) != 0)
            ++port;

        ports[port] = { name, caps };
        return port;
    }

    int snd_seq_delete_simple_port (snd_seq_t* seq, int port)
    {
        auto& s = sequencer();
        const std::lock_guard<std::mutex> sl (s.lock);
        s.remove (seq->client, port);
        return s.clients.at (seq->client).ports.erase (port) == 1 ? 0 : -ENOENT;
    }

    int snd_seq_connect_from (snd_seq_t* seq, int myPort, int client, int port) { return subscribe (address (client, port), address (seq->client, myPort)); }
    int snd_seq_connect_to (snd_seq_t* seq, int myPort, int client, int port) { return subscribe (address (seq->client, myPort), address (client, port)); }

    // Returns the size written: the event and its data.
    int snd_seq_event_output_direct (snd_seq_t* seq, snd_seq_event_t* ev)
    {
        const auto* bytes = static_cast<const unsigned char*> (ev->data.ext.ptr);
        const auto data = isVariable (*ev) ? StandInDevice::Bytes (bytes, bytes + ev->data.ext.len) : StandInDevice::Bytes();
        const auto result = deliver (seq->client, *ev, data);
        return result < 0 ? result : static_cast<int> (sizeof (snd_seq_event_t) + data.size());
    }

    // The oldest event, valid with its data until the next call on the handle.
    int snd_seq_event_input (snd_seq_t* seq, snd_seq_event_t** ev)
    {
        auto& s = sequencer();
        std::unique_lock<std::mutex> sl (s.lock);
        const auto pending = [&] { return s.clients.count (seq->client) == 0 || ! s.clients.at (seq->client).queue.empty(); };

        if (seq->blocking)
            s.changed.wait (sl, pending);

        *ev = nullptr;

        if (s.clients.count (seq->client) == 0 || s.clients.at (seq->client).queue.empty())
            return -EAGAIN;

        auto& client = s.clients.at (seq->client);
        seq->lastTaken = std::move (client.queue.front());
        client.queue.pop_front();
        eventfd_t value = 0;

        if (client.queue.empty() && read (client.eventFd, &value, sizeof (value)) != sizeof (value))
            return -EIO;

        sl.unlock();
        s.changed.notify_all();

        if (isVariable (seq->lastTaken.event))
            seq->lastTaken.event.data.ext.ptr = seq->lastTaken.data.data();

        *ev = &seq->lastTaken.event;
        return 1;
    }

    int snd_seq_event_input_pending (snd_seq_t* seq, int) { const std::lock_guard<std::mutex> sl (sequencer().lock); return static_cast<int> (sequencer().clients.at (seq->client).queue.size()); }
    int snd_seq_free_event (snd_seq_event_t*) { return 0; } // an event taken belongs to its handle
} // extern "C"
// clang-format on

StandInDevice::StandInDevice (std::string clientName, std::vector<PortSpec> portSpecs)
    : name (std::move (clientName))
    , ports (std::move (portSpecs))
{
}

int StandInDevice::plugIn (int id)
{
    unplug();
    snd_midi_event_t* decoder = nullptr;
    snd_midi_event_new (0, &decoder);
    auto& s = sequencer();
    const std::lock_guard<std::mutex> sl (s.lock);

    if (id < 0)
        id = std::exchange (s.nextDeviceClient, s.nextDeviceClient + 4);

    auto& client = s.clients[clientId = id];
    client.name = name;

    for (size_t i = 0; i < ports.size(); ++i)
        client.ports[static_cast<int> (i)] = { ports[i].name, ports[i].capabilities };

    client.receiver = [receive = receiver, decoder = std::shared_ptr<snd_midi_event_t> (
                                               decoder, &snd_midi_event_free)] (const Stored& stored)
    {
        Bytes bytes (stored.data.size() + 3);
        const auto size = snd_midi_event_decode (decoder.get(), bytes.data(),
                                                 static_cast<long> (bytes.size()), &stored.event);
        bytes.resize (size > 0 ? static_cast<size_t> (size) : 0);

        if (receive)
            receive (bytes);
    };

    return id;
}

void StandInDevice::unplug()
{
    if (clientId >= 0)
        closeClient (std::exchange (clientId, -1));
}

void StandInDevice::sendSysex (const Bytes& bytes, int port)
{
    snd_seq_event_t event;
    snd_seq_ev_clear (&event);
    event.type = SND_SEQ_EVENT_SYSEX;
    event.flags = SND_SEQ_EVENT_LENGTH_VARIABLE;
    event.data.ext.len = static_cast<unsigned int> (bytes.size());
    snd_seq_ev_set_source (&event, static_cast<unsigned char> (port));
    snd_seq_ev_set_subs (&event);
    deliver (clientId, event, bytes);
}

void StandInDevice::sendMessages (const Bytes& bytes, int port)
{
    snd_midi_event_t* encoder = nullptr;
    snd_midi_event_new (16, &encoder);

    for (auto byte : bytes)
    {
        snd_seq_event_t event;
        snd_seq_ev_clear (&event);

        if (snd_midi_event_encode_byte (encoder, byte, &event) == 1)
        {
            snd_seq_ev_set_source (&event, static_cast<unsigned char> (port));
            snd_seq_ev_set_subs (&event);
            deliver (clientId, event, {});
        }
    }

    snd_midi_event_free (encoder);
}

bool StandInSequencer::waitUntilTaken()
{
    auto& s = sequencer();
    std::unique_lock<std::mutex> sl (s.lock);
    return s.changed.wait_for (sl, std::chrono::seconds (5),
                               [&]
                               {
                                   return std::all_of (s.clients.begin(), s.clients.end(),
                                                       [] (const auto& c) { return c.second.queue.empty(); });
                               });
}

std::vector<std::string> StandInSequencer::getApplicationClientNames()
{
    const std::lock_guard<std::mutex> sl (sequencer().lock);
    std::vector<std::string> names;

    for (auto& client : sequencer().clients)
        if (client.second.eventFd >= 0)
            names.push_back (client.second.name);

    return names;
}
