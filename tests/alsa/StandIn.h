#pragma once

#include <alsa/asoundlib.h>

#include <functional>
#include <string>
#include <vector>

/** A MIDI device on the stand-in's sequencer, as Linux's USB MIDI driver shows one: a kernel client
    named after the device, with one port.

    The test plays the device: it sends events from the port to its subscribers (the editor's
    input, once it has connected), and hears what reaches the port. Unplugging removes the client
    with its port and subscriptions; plugging it in again gives it a new client id, as a new card
    number would.
*/
struct StandInDevice
{
    using Bytes = std::vector<unsigned char>;

    ~StandInDevice() { unplug(); }

    /** Adds the client, under an id no client had before. */
    void plugIn();
    void unplug();

    /** One event carrying exactly these bytes: a short message, or any piece of a system-exclusive
        one (the driver passes pieces on as they arrive from the cable). */
    void send (const Bytes& bytes) const;

    const std::string portName;

    /** By default a port that others can read from and write to, with subscriptions. */
    const unsigned int capabilities = SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_WRITE
                                      | SND_SEQ_PORT_CAP_SUBS_READ | SND_SEQ_PORT_CAP_SUBS_WRITE;

    /** Called with each event's bytes as it reaches the device, on the sending client's thread,
        outside the sequencer's lock. Set it before plugging the device in. */
    std::function<void (const Bytes&)> receiver{};

    int clientId = -1; // while plugged in
};
