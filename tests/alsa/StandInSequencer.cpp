#include "StandInSequencer.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace
{
constexpr int firstApplicationClient = 128, maxClients = 192, deviceClientStep = 4;

bool operator== (snd_seq_addr_t a, snd_seq_addr_t b)
{
    return a.client == b.client && a.port == b.port;
}

snd_seq_addr_t addressOf (int client, int port)
{
    return { static_cast<unsigned char> (client), static_cast<unsigned char> (port) };
}

// The descriptor is readable exactly while its client's queue holds an event: it is raised when the
// queue stops being empty and lowered when it becomes empty, both under the sequencer's lock.
void raise (int eventFd)
{
    const eventfd_t one = 1;
    [[maybe_unused]] const auto written = write (eventFd, &one, sizeof (one));
}

void lower (int eventFd)
{
    eventfd_t value = 0;
    [[maybe_unused]] const auto read = ::read (eventFd, &value, sizeof (value));
}
} // namespace

StandInSequencer::StandInSequencer()
{
    // The system client, as the kernel has it; a listing that starts from client 0 skips it.
    auto& system = clients[SND_SEQ_CLIENT_SYSTEM];
    system.name = "System";
    system.type = SND_SEQ_KERNEL_CLIENT;
    system.ports[SND_SEQ_PORT_SYSTEM_TIMER] = { "Timer",
                                                SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_WRITE
                                                    | SND_SEQ_PORT_CAP_SUBS_READ
                                                    | SND_SEQ_PORT_CAP_SUBS_WRITE,
                                                0 };
    system.ports[SND_SEQ_PORT_SYSTEM_ANNOUNCE] = { "Announce",
                                                   SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ, 0 };
}

StandInSequencer& StandInSequencer::get()
{
    static StandInSequencer sequencer;
    return sequencer;
}

int StandInSequencer::openApplicationClient (const std::string& name, int& eventFd)
{
    const int fd = eventfd (0, EFD_NONBLOCK | EFD_CLOEXEC);

    if (fd < 0)
        return -errno;

    const std::lock_guard<std::mutex> sl (lock);
    int id = firstApplicationClient;

    while (clients.count (id) != 0)
        ++id;

    if (id >= maxClients)
    {
        close (fd);
        return -EBUSY;
    }

    auto& client = clients[id];
    client.name = name.empty() ? "Client-" + std::to_string (id) : name;
    client.eventFd = eventFd = fd;
    return id;
}

int StandInSequencer::addDeviceClient (const std::string& name,
                                       const std::vector<std::pair<std::string, unsigned int>>& ports,
                                       Receiver receiver, int id)
{
    const std::lock_guard<std::mutex> sl (lock);

    if (id < 0)
    {
        id = nextDeviceClient;
        nextDeviceClient += deviceClientStep;
    }

    if (id <= SND_SEQ_CLIENT_SYSTEM || id >= firstApplicationClient || clients.count (id) != 0)
        return -EBUSY;

    auto& client = clients[id];
    client.name = name;
    client.type = SND_SEQ_KERNEL_CLIENT;
    client.receiver = std::move (receiver);

    for (size_t i = 0; i < ports.size(); ++i)
        client.ports[static_cast<int> (i)] = { ports[i].first, ports[i].second,
                                               SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_HARDWARE
                                                   | SND_SEQ_PORT_TYPE_PORT };

    return id;
}

void StandInSequencer::closeClient (int client)
{
    {
        const std::lock_guard<std::mutex> sl (lock);
        removeClient (client);
    }

    changed.notify_all();
}

void StandInSequencer::removeClient (int id)
{
    const auto found = clients.find (id);

    if (found == clients.end() || id == SND_SEQ_CLIENT_SYSTEM)
        return;

    for (auto& port : found->second.ports)
        removePortSubscriptions (id, port.first);

    if (found->second.eventFd >= 0)
        close (found->second.eventFd);

    clients.erase (found);
}

void StandInSequencer::setClientName (int client, const std::string& name)
{
    const std::lock_guard<std::mutex> sl (lock);
    clients.at (client).name = name;
}

int StandInSequencer::createPort (int id, const std::string& name, unsigned int capabilities,
                                  unsigned int type)
{
    const std::lock_guard<std::mutex> sl (lock);
    auto& ports = clients.at (id).ports;
    int port = 0;

    while (ports.count (port) != 0)
        ++port;

    if (port >= SND_SEQ_ADDRESS_UNKNOWN)
        return -ENOMEM;

    ports[port] = { name, capabilities, type };
    return port;
}

int StandInSequencer::deletePort (int id, int port)
{
    const std::lock_guard<std::mutex> sl (lock);

    if (clients.at (id).ports.erase (port) == 0)
        return -ENOENT;

    removePortSubscriptions (id, port);
    return 0;
}

void StandInSequencer::removePortSubscriptions (int client, int port)
{
    const auto address = addressOf (client, port);
    subscriptions.erase (std::remove_if (subscriptions.begin(), subscriptions.end(),
                                         [&] (const Subscription& s)
                                         { return s.sender == address || s.receiver == address; }),
                         subscriptions.end());
}

StandInSequencer::Port* StandInSequencer::findPort (snd_seq_addr_t address)
{
    const auto client = clients.find (address.client);

    if (client == clients.end())
        return nullptr;

    const auto port = client->second.ports.find (address.port);
    return port == client->second.ports.end() ? nullptr : &port->second;
}

int StandInSequencer::subscribe (snd_seq_addr_t sender, snd_seq_addr_t receiver)
{
    const std::lock_guard<std::mutex> sl (lock);
    const auto* from = findPort (sender);
    const auto* to = findPort (receiver);

    if (from == nullptr || to == nullptr)
        return -EINVAL;

    for (auto& s : subscriptions)
        if (s.sender == sender && s.receiver == receiver)
            return -EBUSY;

    subscriptions.push_back ({ sender, receiver });
    return 0;
}

int StandInSequencer::deliver (int sourceClient, const snd_seq_event_t& event, const Bytes& data)
{
    std::vector<std::pair<Receiver, StoredEvent>> toDevices;
    int reached = 0;

    {
        const std::lock_guard<std::mutex> sl (lock);
        const auto source = addressOf (sourceClient, event.source.port);

        if (findPort (source) == nullptr)
            return -EINVAL;

        if (event.type == SND_SEQ_EVENT_NONE)
            return 0;

        // Only deliveries to the source port's subscribers are modelled: JUCE sends no other.
        if (event.dest.client != SND_SEQ_ADDRESS_SUBSCRIBERS)
            return -EINVAL;

        std::vector<snd_seq_addr_t> destinations;

        for (auto& s : subscriptions)
            if (s.sender == source)
                destinations.push_back (s.receiver);

        for (auto& destination : destinations)
        {
            auto& client = clients.at (destination.client);
            StoredEvent stored{ event, data };
            stored.event.source = source;
            stored.event.dest = destination;

            if ((event.flags & SND_SEQ_EVENT_LENGTH_MASK) != SND_SEQ_EVENT_LENGTH_FIXED)
                stored.event.data.ext.ptr = nullptr; // points into the stored data once taken

            if (client.receiver)
            {
                toDevices.emplace_back (client.receiver, std::move (stored));
                ++reached;
            }
            else if (client.queue.size() < inputPoolSize)
            {
                if (client.queue.empty())
                    raise (client.eventFd);

                client.queue.push_back (std::move (stored));
                ++reached;
            }
        }
    }

    changed.notify_all();

    for (auto& [receiver, stored] : toDevices)
    {
        if ((stored.event.flags & SND_SEQ_EVENT_LENGTH_MASK) != SND_SEQ_EVENT_LENGTH_FIXED)
            stored.event.data.ext.ptr = stored.data.data();

        receiver (stored);
    }

    return reached;
}

bool StandInSequencer::takeEvent (int id, bool blocking, StoredEvent& taken)
{
    std::unique_lock<std::mutex> sl (lock);
    const auto hasEvent = [&]
    {
        const auto client = clients.find (id);
        return client == clients.end() || ! client->second.queue.empty();
    };

    if (blocking)
        changed.wait (sl, hasEvent);

    const auto client = clients.find (id);

    if (client == clients.end() || client->second.queue.empty())
        return false;

    auto& queue = client->second.queue;
    taken = std::move (queue.front());
    queue.pop_front();

    if (queue.empty())
    {
        lower (client->second.eventFd);
        sl.unlock();
        changed.notify_all();
    }

    return true;
}

int StandInSequencer::getNumPendingEvents (int id)
{
    const std::lock_guard<std::mutex> sl (lock);
    return static_cast<int> (clients.at (id).queue.size());
}

int StandInSequencer::getNumClients()
{
    const std::lock_guard<std::mutex> sl (lock);
    return static_cast<int> (clients.size());
}

bool StandInSequencer::findNextClient (int after, int& id, std::string& name, int& numPorts,
                                       snd_seq_client_type_t& type)
{
    const std::lock_guard<std::mutex> sl (lock);
    const auto next = clients.lower_bound (std::max (after + 1, 0));

    if (next == clients.end())
        return false;

    id = next->first;
    name = next->second.name;
    numPorts = static_cast<int> (next->second.ports.size());
    type = next->second.type;
    return true;
}

bool StandInSequencer::findNextPort (int id, int after, int& port, std::string& name,
                                     unsigned int& capabilities, unsigned int& type)
{
    const std::lock_guard<std::mutex> sl (lock);
    const auto client = clients.find (id);

    if (client == clients.end())
        return false;

    const auto next = client->second.ports.lower_bound (std::max (after + 1, 0));

    if (next == client->second.ports.end())
        return false;

    port = next->first;
    name = next->second.name;
    capabilities = next->second.capabilities;
    type = next->second.type;
    return true;
}

bool StandInSequencer::waitUntilTaken (int timeoutMilliseconds)
{
    std::unique_lock<std::mutex> sl (lock);
    return changed.wait_for (sl, std::chrono::milliseconds (timeoutMilliseconds),
                             [this]
                             {
                                 return std::all_of (clients.begin(), clients.end(),
                                                     [] (const auto& c) { return c.second.queue.empty(); });
                             });
}

std::vector<std::string> StandInSequencer::getApplicationClientNames()
{
    const std::lock_guard<std::mutex> sl (lock);
    std::vector<std::string> names;

    for (auto& client : clients)
        if (client.second.type == SND_SEQ_USER_CLIENT)
            names.push_back (client.second.name);

    return names;
}
