// The snd_seq_* functions of the ALSA library that JUCE's Linux MIDI code calls, on the stand-in's
// sequencer. Signatures are checked against the real headers, which declare them.

#include "StandInSequencer.h"

#include <cerrno>
#include <cstring>

struct _snd_seq
{
    int client = -1;
    int eventFd = -1;
    bool blocking = true;
    StandInSequencer::StoredEvent lastTaken; // what snd_seq_event_input returned last, until the next call
};

struct _snd_seq_system_info
{
    int queues, clients, ports, channels, currentClients, currentQueues;
};

struct _snd_seq_client_info
{
    int client;
    snd_seq_client_type_t type;
    int numPorts;
    char name[64];
};

struct _snd_seq_port_info
{
    int client, port;
    unsigned int capabilities, type;
    char name[64];
};

namespace
{
StandInSequencer& sequencer()
{
    return StandInSequencer::get();
}

template <size_t size>
void copyName (char (&destination)[size], const std::string& name)
{
    std::strncpy (destination, name.c_str(), size - 1);
    destination[size - 1] = 0;
}

snd_seq_addr_t address (int client, int port)
{
    return { static_cast<unsigned char> (client), static_cast<unsigned char> (port) };
}
} // namespace

// Short functions take one line each.
// clang-format off
extern "C"
{
    int snd_seq_open (snd_seq_t** handle, const char* name, int streams, int mode)
    {
        *handle = nullptr;

        if (name == nullptr || (std::strcmp (name, "default") != 0 && std::strcmp (name, "hw") != 0))
            return -ENOENT;

        if ((streams & SND_SEQ_OPEN_DUPLEX) == 0)
            return -EINVAL;

        auto seq = std::make_unique<_snd_seq>();
        seq->client = sequencer().openApplicationClient ({}, seq->eventFd);

        if (seq->client < 0)
            return seq->client;

        seq->blocking = (mode & SND_SEQ_NONBLOCK) == 0;
        *handle = seq.release();
        return 0;
    }

    int snd_seq_close (snd_seq_t* seq) { sequencer().closeClient (seq->client); delete seq; return 0; }
    int snd_seq_nonblock (snd_seq_t* seq, int nonblock) { seq->blocking = nonblock == 0; return 0; }
    int snd_seq_set_client_name (snd_seq_t* seq, const char* name) { return name == nullptr ? -EINVAL : (sequencer().setClientName (seq->client, name), 0); }

    int snd_seq_client_id (snd_seq_t* seq) { return seq->client; }
    int snd_seq_poll_descriptors_count (snd_seq_t*, short events) { return (events & (POLLIN | POLLOUT)) != 0 ? 1 : 0; }

    int snd_seq_poll_descriptors (snd_seq_t* seq, struct pollfd* pfds, unsigned int space, short events)
    {
        if (space < 1 || (events & (POLLIN | POLLOUT)) == 0)
            return 0;

        // Output never blocks here: the descriptor says only whether input is waiting.
        pfds[0].fd = seq->eventFd;
        pfds[0].events = static_cast<short> (events & (POLLIN | POLLOUT));
        pfds[0].revents = 0;
        return 1;
    }

    size_t snd_seq_system_info_sizeof() { return sizeof (snd_seq_system_info_t); }
    int snd_seq_system_info (snd_seq_t*, snd_seq_system_info_t* info) { *info = { 32, 192, 254, 256, sequencer().getNumClients(), 0 }; return 0; }
    int snd_seq_system_info_get_cur_clients (const snd_seq_system_info_t* info) { return info->currentClients; }
    size_t snd_seq_client_info_sizeof() { return sizeof (snd_seq_client_info_t); }
    int snd_seq_client_info_get_client (const snd_seq_client_info_t* info) { return info->client; }
    int snd_seq_client_info_get_num_ports (const snd_seq_client_info_t* info) { return info->numPorts; }

    int snd_seq_query_next_client (snd_seq_t*, snd_seq_client_info_t* info)
    {
        std::string name;

        if (! sequencer().findNextClient (info->client, info->client, name, info->numPorts, info->type))
            return -ENOENT;

        copyName (info->name, name);
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
        std::string name;

        if (! sequencer().findNextPort (info->client, info->port, info->port, name, info->capabilities,
                                        info->type))
            return -ENOENT;

        copyName (info->name, name);
        return 0;
    }

    int snd_seq_create_simple_port (snd_seq_t* seq, const char* name, unsigned int caps, unsigned int type) { return sequencer().createPort (seq->client, name != nullptr ? name : "", caps, type); }
    int snd_seq_delete_simple_port (snd_seq_t* seq, int port) { return sequencer().deletePort (seq->client, port); }

    int snd_seq_connect_from (snd_seq_t* seq, int myPort, int client, int port) { return sequencer().subscribe (address (client, port), address (seq->client, myPort)); }
    int snd_seq_connect_to (snd_seq_t* seq, int myPort, int client, int port) { return sequencer().subscribe (address (seq->client, myPort), address (client, port)); }

    int snd_seq_event_output_direct (snd_seq_t* seq, snd_seq_event_t* ev)
    {
        StandInSequencer::Bytes data;

        if ((ev->flags & SND_SEQ_EVENT_LENGTH_MASK) != SND_SEQ_EVENT_LENGTH_FIXED)
        {
            const auto* bytes = static_cast<const unsigned char*> (ev->data.ext.ptr);

            if (bytes == nullptr && ev->data.ext.len > 0)
                return -EINVAL;

            data.assign (bytes, bytes + ev->data.ext.len);
        }

        const auto result = sequencer().deliver (seq->client, *ev, data);
        return result < 0 ? result : static_cast<int> (sizeof (snd_seq_event_t) + data.size());
    }

    int snd_seq_event_input (snd_seq_t* seq, snd_seq_event_t** ev)
    {
        *ev = nullptr;

        if (! sequencer().takeEvent (seq->client, seq->blocking, seq->lastTaken))
            return -EAGAIN;

        auto& taken = seq->lastTaken;

        if ((taken.event.flags & SND_SEQ_EVENT_LENGTH_MASK) != SND_SEQ_EVENT_LENGTH_FIXED)
            taken.event.data.ext.ptr = taken.data.data();

        *ev = &taken.event;
        return 1;
    }

    int snd_seq_event_input_pending (snd_seq_t* seq, int) { return sequencer().getNumPendingEvents (seq->client); }

    int snd_seq_free_event (snd_seq_event_t*)
    {
        return 0; // an event taken belongs to its handle until the next one is taken
    }
} // extern "C"
// clang-format on
