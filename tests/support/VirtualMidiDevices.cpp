#include "VirtualMidiDevices.h"

#include "BoundedMidiDataConcatenator.h"

#include <stdexcept>

// An open port; the same kind serves inputs (with a callback) and outputs.
struct VirtualPort final
    : MidiDeviceLayer::Input
    , MidiDeviceLayer::Output
{
    VirtualPort (std::shared_ptr<VirtualMidiDevice> d, MidiDeviceLayer::InputCallback* c,
                 VirtualMidiSystem& s)
        : device (std::move (d))
        , callback (c)
        , system (s)
    {
        const std::lock_guard<std::recursive_mutex> sl (device->lock);
        device->ports.push_back (this);
        ++system.openPorts;
    }

    ~VirtualPort() override
    {
        const std::lock_guard<std::recursive_mutex> sl (device->lock);
        device->ports.erase (std::find (device->ports.begin(), device->ports.end(), this));
        --system.openPorts;
    }

    juce::String getName() const override { return device->name; }
    void start() override { started = true; }
    void stop() override { started = false; }
    void sendMessageNow (const juce::MidiMessage& message) override { device->receive (message); }

    const std::shared_ptr<VirtualMidiDevice> device;
    MidiDeviceLayer::InputCallback* const callback;
    VirtualMidiSystem& system;
    std::atomic<bool> started{ false };
};

void VirtualMidiDevice::send (std::variant<juce::MidiMessage, ByteArray> item, int delay)
{
    const std::lock_guard<std::recursive_mutex> sl (lock);
    queued.push_back (
        { std::move (item), std::chrono::steady_clock::now() + std::chrono::milliseconds (delay) });
    changed.notify_all();
}

bool VirtualMidiDevice::waitUntilIdle (int ms)
{
    std::unique_lock<std::recursive_mutex> sl (lock);
    return changed.wait_for (sl, std::chrono::milliseconds (ms),
                             [this] { return queued.empty() || ! plugged; });
}

void VirtualMidiDevice::receive (const juce::MidiMessage& message)
{
    std::unique_lock<std::recursive_mutex> sl (lock);

    if (! plugged)
        return;

    received.emplace_back (message.getRawData(), message.getRawDataSize());
    const Handler handlers[] = { observer, receiver };
    sl.unlock(); // the handlers may take locks of their own

    for (auto& handler : handlers)
        if (handler)
            handler (message);
}

void VirtualMidiDevice::run()
{
    // Hands each message to the started ports.
    struct Delivery
    {
        void handleIncomingMidiMessage (VirtualMidiDevice* device, const juce::MidiMessage& message)
        {
            if (device->deliveryObserver)
                device->deliveryObserver (message);

            for (auto* port : device->ports)
                if (port->started)
                    port->callback->handleIncomingMidiMessage (*port, message);
        }

        void handlePartialSysexMessage (VirtualMidiDevice*, const juce::uint8*, int, double) {}
    } delivery;

    karvelo::BoundedMidiDataConcatenator reassembly{ 2048 }; // as JUCE's ALSA input makes its own
    std::unique_lock<std::recursive_mutex> sl (lock);

    for (;;)
    {
        changed.wait (sl, [this] { return ! plugged || ! queued.empty(); });

        // Messages sent meanwhile wait behind the first: deliveries keep their order.
        if (! plugged || changed.wait_until (sl, queued.front().second, [this] { return ! plugged; }))
            return;

        const auto item = queued.front().first;

        if (auto* message = std::get_if<juce::MidiMessage> (&item))
            delivery.handleIncomingMidiMessage (this, *message);
        else if (auto* bytes = std::get_if<ByteArray> (&item))
            reassembly.pushMidiData (bytes->begin(), bytes->size(), 0.0, this, delivery);

        queued.pop_front();
        changed.notify_all();
    }
}

// Opens devices by their index in the list it fetched last, as the real layer does.
class VirtualMidiDeviceLayer final : public MidiDeviceLayer
{
public:
    explicit VirtualMidiDeviceLayer (std::shared_ptr<VirtualMidiSystem> s)
        : system (std::move (s))
    {
    }

    juce::StringArray getInputDeviceNames() override { return list (system->inputs, inputs); }
    juce::StringArray getOutputDeviceNames() override { return list (system->outputs, outputs); }
    std::unique_ptr<Input> openInput (int i, InputCallback& c) override { return open (inputs, i, &c); }
    std::unique_ptr<Output> openOutput (int i) override { return open (outputs, i, nullptr); }

private:
    juce::StringArray list (const VirtualDevices& plugged, VirtualDevices& listed)
    {
        ++system->listCalls;
        const std::lock_guard<std::mutex> sl (system->lock);
        listed = plugged;
        juce::StringArray names;

        for (auto& device : listed)
            names.add (device->name);

        return names;
    }

    std::unique_ptr<VirtualPort> open (const VirtualDevices& listed, int index, InputCallback* c)
    {
        const auto& device = listed.at (static_cast<size_t> (index)); // out of range: throws

        if (! device->plugged || device->options.openYieldsNothing)
            return {};

        if (device->options.throwOnOpen)
            throw std::runtime_error ("the device refused to open");

        return std::make_unique<VirtualPort> (device, c, *system);
    }

    std::shared_ptr<VirtualMidiSystem> system;
    VirtualDevices inputs, outputs;
};

void VirtualMidiSystem::unplug (const Device& device)
{
    device->pullOut();
    const std::lock_guard<std::mutex> sl (lock);

    for (auto* devices : { &inputs, &outputs })
        devices->erase (std::remove (devices->begin(), devices->end(), device), devices->end());
}

std::unique_ptr<MidiDeviceLayer> VirtualMidiSystem::createLayer()
{
    return std::make_unique<VirtualMidiDeviceLayer> (shared_from_this());
}
