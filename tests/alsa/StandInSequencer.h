#pragma once

#include <alsa/asoundlib.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

/** The sequencer that the stand-in's snd_seq_* functions talk to, in this process: what the kernel
    keeps for the real library (clients, their ports, the subscriptions between ports and each
    application client's queue of incoming events).

    Application clients are opened through snd_seq_open; device clients, as a driver would create
    them, are added and removed by StandInDevice. Events are delivered at once: there are no queues
    of timed events. Every member locks; nothing calls out while the lock is held.
*/
class StandInSequencer
{
public:
    using Bytes = std::vector<unsigned char>;

    /** An event with the data of a variable-length one kept beside it. */
    struct StoredEvent
    {
        snd_seq_event_t event{};
        Bytes data;
    };

    /** Receives, outside the lock, every event delivered to a device client's ports. */
    using Receiver = std::function<void (const StoredEvent&)>;

    /** How many events an application client's queue holds; later ones are dropped. */
    static constexpr size_t inputPoolSize = 1000;

    static StandInSequencer& get();

    /** An application client: returns its id, 128 or above. */
    int openApplicationClient (const std::string& name, int& eventFd);
    void closeClient (int client);
    void setClientName (int client, const std::string& name);

    /** A device client with ports numbered from 0: returns its id (the given one, or one never
        used before in this process). */
    int addDeviceClient (const std::string& name,
                         const std::vector<std::pair<std::string, unsigned int>>& ports, Receiver receiver,
                         int client = -1);

    /** Creates a port of an application client with the lowest free number; returns it, or -errno. */
    int createPort (int client, const std::string& name, unsigned int capabilities, unsigned int type);
    int deletePort (int client, int port);

    /** Subscribes the receiver to the sender: 0 or -errno. */
    int subscribe (snd_seq_addr_t sender, snd_seq_addr_t receiver);

    /** Delivers at once to the subscribers of the event's source port, the only destination
        modelled. Returns the number of ports reached, or -errno. */
    int deliver (int sourceClient, const snd_seq_event_t& event, const Bytes& data);

    /** Takes the oldest event of an application client's queue; false when it is empty, after
        waiting for one if blocking. */
    bool takeEvent (int client, bool blocking, StoredEvent& taken);
    int getNumPendingEvents (int client);

    int getNumClients();
    /** Fills the client info with the first client above its client number; false when none. */
    bool findNextClient (int after, int& client, std::string& name, int& numPorts,
                         snd_seq_client_type_t& type);
    /** The first port of the client above the given number; false when none. */
    bool findNextPort (int client, int after, int& port, std::string& name, unsigned int& capabilities,
                       unsigned int& type);

    /** Waits until every application client has taken every event delivered to it. */
    bool waitUntilTaken (int timeoutMilliseconds = 5000);

    /** The application clients open now, by name. */
    std::vector<std::string> getApplicationClientNames();

private:
    struct Port
    {
        std::string name;
        unsigned int capabilities = 0, type = 0;
    };

    struct Client
    {
        std::string name;
        snd_seq_client_type_t type = SND_SEQ_USER_CLIENT;
        std::map<int, Port> ports;
        std::deque<StoredEvent> queue; // application clients only
        int eventFd = -1;              // readable while the queue holds an event
        Receiver receiver;             // device clients only
    };

    struct Subscription
    {
        snd_seq_addr_t sender, receiver;
    };

    StandInSequencer();

    Port* findPort (snd_seq_addr_t address);
    void removePortSubscriptions (int client, int port);
    void removeClient (int client);

    std::mutex lock;
    std::condition_variable changed;
    std::map<int, Client> clients;
    std::vector<Subscription> subscriptions;
    int nextDeviceClient = 20;
};
