#pragma once

#include <alsa/asoundlib.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

/** A MIDI device on the stand-in's sequencer, as Linux's USB MIDI driver shows one: a kernel client
    named after the device, with a port per cable ("Karvelo MIDI 1").

    The test plays the device: it sends events from a port to the port's subscribers (the editor's
    input, once it has connected), and hears what reaches its ports. Unplugging removes the client
    with its ports and subscriptions; plugging it in again gives it a new client id, as a new card
    number would.
*/
class StandInDevice
{
public:
    using Bytes = std::vector<unsigned char>;

    /** A port that others can read from and write to, with subscriptions. */
    static constexpr unsigned int readWrite = SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_WRITE
                                              | SND_SEQ_PORT_CAP_SUBS_READ | SND_SEQ_PORT_CAP_SUBS_WRITE;

    struct PortSpec
    {
        std::string name;
        unsigned int capabilities = readWrite;
    };

    StandInDevice (std::string clientName, std::vector<PortSpec> ports);
    ~StandInDevice() { unplug(); }

    /** Adds the client: with the given id, or with one no client had before. Returns the id. */
    int plugIn (int clientId = -1);
    void unplug();

    /** One system-exclusive event carrying exactly these bytes: a whole message, or any piece of
        one (the driver passes pieces on as they arrive from the cable). */
    void sendSysex (const Bytes& bytes, int port = 0);

    /** Complete short messages (notes, controllers, real-time bytes), one event each. */
    void sendMessages (const Bytes& bytes, int port = 0);

    /** Called with each event's bytes as it reaches the device, on the sending client's thread,
        outside the sequencer's lock. Set it before plugging the device in. */
    std::function<void (const Bytes&)> receiver;

private:
    const std::string name;
    const std::vector<PortSpec> ports;
    int clientId = -1;
};

/** What only a test asks of the sequencer. */
namespace StandInSequencer
{
/** Waits until every application client has taken every event delivered to it. */
bool waitUntilTaken();

/** The application clients open now, by name. */
std::vector<std::string> getApplicationClientNames();
} // namespace StandInSequencer
