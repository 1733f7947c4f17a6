#include "AlsaKarvelo.h"

#include "HexFile.h"
#include "SimulatedKarvelo.h"

AlsaKarvelo::AlsaKarvelo()
    : delivery (
        [] (StandInDevice& d, const ByteArray& answer) {
            d.sendSysex ({ answer.begin(), answer.end() });
        })
{
    block = HexFile::factoryBlock();
    device.setReceiver ([this] (const StandInDevice::Bytes& bytes) { receive (bytes); });
    device.plugIn();
}

AlsaKarvelo::~AlsaKarvelo()
{
    device.unplug();
    device.setReceiver ({});
}

void AlsaKarvelo::setDelivery (Delivery newDelivery)
{
    const std::lock_guard<std::mutex> sl (lock);
    delivery = std::move (newDelivery);
}

void AlsaKarvelo::setBlock (const ByteArray& newBlock)
{
    const std::lock_guard<std::mutex> sl (lock);
    block = newBlock;
}

ByteArray AlsaKarvelo::getBlock() const
{
    const std::lock_guard<std::mutex> sl (lock);
    return block;
}

std::vector<ByteArray> AlsaKarvelo::getMessagesReceived() const
{
    const std::lock_guard<std::mutex> sl (lock);
    return received;
}

void AlsaKarvelo::receive (const StandInDevice::Bytes& bytes)
{
    std::unique_lock<std::mutex> sl (lock);
    const ByteArray piece (bytes.data(), static_cast<int> (bytes.size()));

    if (piece.isEmpty())
        return;

    if (piece.getFirst() != 0xf0 && pendingSysex.isEmpty())
    {
        received.push_back (piece);
        return;
    }

    pendingSysex.addArray (piece);

    if (pendingSysex.getLast() != 0xf7)
        return;

    const auto message = std::exchange (pendingSysex, {});
    received.push_back (message);
    const auto answer = SimulatedKarvelo::answerTo (message, block);
    const auto deliver = delivery;
    sl.unlock();

    if (! answer.isEmpty())
        deliver (device, answer);
}
