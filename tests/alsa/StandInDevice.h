#pragma once

#include "StandInSequencer.h"

#include <memory>

/** A MIDI device on the stand-in's sequencer, as Linux's USB MIDI driver shows one: a kernel client
    named after the device, with a port per cable ("Karvelo MIDI 1").

    The test plays the device: it sends events from a port to the port's subscribers (the editor's
    input, once it has connected), and reads what reached its ports. Unplugging removes the client
    with its ports and subscriptions; plugging it in again gives it a new client id, as a new
    card number would.
*/
class StandInDevice
{
public:
    using Bytes = StandInSequencer::Bytes;

    /** A port that others can read from and write to, with subscriptions. */
    static constexpr unsigned int readWrite = SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_WRITE
                                              | SND_SEQ_PORT_CAP_SUBS_READ | SND_SEQ_PORT_CAP_SUBS_WRITE
                                              | SND_SEQ_PORT_CAP_DUPLEX;

    struct PortSpec
    {
        std::string name;
        unsigned int capabilities = readWrite;
    };

    StandInDevice (std::string clientName, std::vector<PortSpec> ports);
    ~StandInDevice();

    /** Adds the client: with the given id, or with one no client had before. Returns the id. */
    int plugIn (int clientId = -1);
    void unplug();
    int getClientId() const { return clientId; }

    /** Sends one event from the port to its subscribers, with this data if it is variable-length.
        Returns how many received it. */
    int send (snd_seq_event_t event, const Bytes& data = {}, int port = 0);

    /** One system-exclusive event carrying exactly these bytes: a whole message, or any piece of
        one (the driver passes pieces on as they arrive from the cable). */
    int sendSysex (const Bytes& bytes, int port = 0);

    /** Complete short messages (notes, controllers, real-time bytes), each as the event the
        sequencer's MIDI coder makes of it. */
    void sendMessages (const Bytes& bytes, int port = 0);

    /** What reached the device's ports, each event as MIDI bytes, in order of arrival. */
    std::vector<Bytes> getReceived() const;

    /** Called with each event's bytes as it arrives, on the sending client's thread. */
    void setReceiver (std::function<void (const Bytes&)> receiver);

private:
    struct Inbox;

    const std::string name;
    const std::vector<PortSpec> ports;
    const std::shared_ptr<Inbox> inbox; // shared with deliveries that may outlast an unplug
    int clientId = -1;
};
