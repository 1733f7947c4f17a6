#pragma once

#include "StandInDevice.h"
#include "model/ByteArray.h"

#include <mutex>

/** The Karvelo plugged into a Linux machine, on the stand-in's sequencer: the client "Karvelo" with
    the port "Karvelo MIDI 1". It keeps a preset block and answers SendPreset and RequestPreset as
    SimulatedKarvelo does; how an answer travels (one event, pieces, other messages between them,
    half of it and then the cable pulled) is the test's choice. It answers on the editor's sending
    thread, before the send returns.
*/
class AlsaKarvelo
{
public:
    /** Hands an answer, F0 to F7, to the sequencer through the device. */
    using Delivery = std::function<void (StandInDevice& device, const ByteArray& answer)>;

    /** Plugged in, with the factory preset, answering each message in one event. */
    AlsaKarvelo();
    ~AlsaKarvelo();

    void setDelivery (Delivery newDelivery);
    void setBlock (const ByteArray& newBlock);
    ByteArray getBlock() const;

    /** What the editor sent, one message each, system-exclusive ones put together from their
        events. */
    std::vector<ByteArray> getMessagesReceived() const;

    StandInDevice device{ "Karvelo", { { "Karvelo MIDI 1" } } };

private:
    void receive (const StandInDevice::Bytes& bytes);

    mutable std::mutex lock;
    Delivery delivery;
    ByteArray block, pendingSysex;
    std::vector<ByteArray> received;
};
