#include "VirtualMidiDevices.h"

#include <stdexcept>

//==============================================================================
class VirtualMidiSystem::InputDevice::Port final : public MidiDeviceLayer::Input
{
public:
    Port (std::shared_ptr<InputDevice> d, MidiDeviceLayer::InputCallback& c)
        : device (std::move (d))
        , callback (c)
    {
    }

    ~Port() override { device->removePort (this); }

    juce::String getName() const override { return device->name; }
    void start() override { started = true; }
    void stop() override { started = false; }

    void deliver (const juce::MidiMessage& message)
    {
        if (started)
            callback.handleIncomingMidiMessage (*this, message);
    }

private:
    std::shared_ptr<InputDevice> device;
    MidiDeviceLayer::InputCallback& callback;
    std::atomic<bool> started{ false };
};

VirtualMidiSystem::InputDevice::InputDevice (const juce::String& n, DeviceOptions o)
    : name (n)
    , options (o)
    , thread ([this] { run(); })
{
}

VirtualMidiSystem::InputDevice::~InputDevice()
{
    {
        const std::lock_guard<std::mutex> sl (queueLock);
        stopping = true;
    }

    queueChanged.notify_all();
    thread.join();
}

void VirtualMidiSystem::InputDevice::send (const juce::MidiMessage& message)
{
    {
        const std::lock_guard<std::mutex> sl (queueLock);

        if (! plugged)
            return;

        queue.push_back (message);
    }

    queueChanged.notify_all();
}

bool VirtualMidiSystem::InputDevice::waitUntilIdle (int timeoutMilliseconds)
{
    std::unique_lock<std::mutex> sl (queueLock);
    return queueChanged.wait_for (sl, std::chrono::milliseconds (timeoutMilliseconds),
                                  [this] { return queue.empty() && ! delivering; });
}

int VirtualMidiSystem::InputDevice::getNumOpenPorts() const
{
    const std::lock_guard<std::recursive_mutex> sl (deliveryLock);
    return static_cast<int> (ports.size());
}

std::unique_ptr<MidiDeviceLayer::Input>
VirtualMidiSystem::InputDevice::open (MidiDeviceLayer::InputCallback& callback)
{
    auto port = std::make_unique<Port> (shared_from_this(), callback);
    const std::lock_guard<std::recursive_mutex> sl (deliveryLock);
    ports.push_back (port.get());
    return port;
}

void VirtualMidiSystem::InputDevice::removePort (Port* port)
{
    const std::lock_guard<std::recursive_mutex> sl (deliveryLock);
    ports.erase (std::remove (ports.begin(), ports.end(), port), ports.end());
}

void VirtualMidiSystem::InputDevice::run()
{
    for (;;)
    {
        juce::MidiMessage message;

        {
            std::unique_lock<std::mutex> sl (queueLock);
            queueChanged.wait (sl, [this] { return stopping || ! queue.empty(); });

            if (stopping)
                return;

            message = queue.front();
            queue.pop_front();
            delivering = true;
        }

        {
            const std::lock_guard<std::recursive_mutex> sl (deliveryLock);

            if (plugged)
                for (auto* port : ports)
                    port->deliver (message);
        }

        {
            const std::lock_guard<std::mutex> sl (queueLock);
            delivering = false;
        }

        queueChanged.notify_all();
    }
}

//==============================================================================
class VirtualMidiSystem::OutputDevice::Port final : public MidiDeviceLayer::Output
{
public:
    explicit Port (std::shared_ptr<OutputDevice> d)
        : device (std::move (d))
    {
        ++device->openPorts;
    }

    ~Port() override { --device->openPorts; }

    void sendMessageNow (const juce::MidiMessage& message) override
    {
        if (device->plugged)
            device->receive (message);
    }

private:
    std::shared_ptr<OutputDevice> device;
};

VirtualMidiSystem::OutputDevice::OutputDevice (const juce::String& n, DeviceOptions o)
    : name (n)
    , options (o)
{
}

void VirtualMidiSystem::OutputDevice::setReceiver (std::function<void (const juce::MidiMessage&)> r)
{
    const std::lock_guard<std::mutex> sl (lock);
    receiver = std::move (r);
}

std::vector<ByteArray> VirtualMidiSystem::OutputDevice::getReceived() const
{
    const std::lock_guard<std::mutex> sl (lock);
    return received;
}

void VirtualMidiSystem::OutputDevice::receive (const juce::MidiMessage& message)
{
    std::function<void (const juce::MidiMessage&)> handler;

    {
        const std::lock_guard<std::mutex> sl (lock);
        received.emplace_back (message.getRawData(), message.getRawDataSize());
        handler = receiver;
    }

    if (handler)
        handler (message);
}

//==============================================================================
class VirtualMidiDeviceLayer final : public MidiDeviceLayer
{
public:
    explicit VirtualMidiDeviceLayer (std::shared_ptr<VirtualMidiSystem> s)
        : system (std::move (s))
    {
    }

    juce::StringArray getInputDeviceNames() override
    {
        ++system->listCalls;
        const std::lock_guard<std::mutex> sl (system->lock);
        listedInputs = system->inputs;
        juce::StringArray names;

        for (auto& device : listedInputs)
            names.add (device->name);

        return names;
    }

    juce::StringArray getOutputDeviceNames() override
    {
        ++system->listCalls;
        const std::lock_guard<std::mutex> sl (system->lock);
        listedOutputs = system->outputs;
        juce::StringArray names;

        for (auto& device : listedOutputs)
            names.add (device->name);

        return names;
    }

    std::unique_ptr<Input> openInput (int index, InputCallback& callback) override
    {
        if (index < 0 || index >= static_cast<int> (listedInputs.size()))
            return {};

        auto& device = listedInputs[static_cast<size_t> (index)];

        if (! device->isPlugged() || device->options.openYieldsNothing)
            return {};

        if (device->options.throwOnOpen)
            throw std::runtime_error ("the device refused to open");

        return device->open (callback);
    }

    std::unique_ptr<Output> openOutput (int index) override
    {
        if (index < 0 || index >= static_cast<int> (listedOutputs.size()))
            return {};

        auto& device = listedOutputs[static_cast<size_t> (index)];

        if (! device->isPlugged() || device->options.openYieldsNothing)
            return {};

        if (device->options.throwOnOpen)
            throw std::runtime_error ("the device refused to open");

        return std::make_unique<VirtualMidiSystem::OutputDevice::Port> (device);
    }

private:
    std::shared_ptr<VirtualMidiSystem> system;
    std::vector<std::shared_ptr<VirtualMidiSystem::InputDevice>> listedInputs;
    std::vector<std::shared_ptr<VirtualMidiSystem::OutputDevice>> listedOutputs;
};

//==============================================================================
std::shared_ptr<VirtualMidiSystem> VirtualMidiSystem::create()
{
    return std::shared_ptr<VirtualMidiSystem> (new VirtualMidiSystem());
}

std::shared_ptr<VirtualMidiSystem::InputDevice> VirtualMidiSystem::plugInput (const juce::String& name,
                                                                              DeviceOptions options)
{
    auto device = std::make_shared<InputDevice> (name, options);
    const std::lock_guard<std::mutex> sl (lock);
    inputs.push_back (device);
    return device;
}

std::shared_ptr<VirtualMidiSystem::OutputDevice> VirtualMidiSystem::plugOutput (const juce::String& name,
                                                                                DeviceOptions options)
{
    auto device = std::make_shared<OutputDevice> (name, options);
    const std::lock_guard<std::mutex> sl (lock);
    outputs.push_back (device);
    return device;
}

void VirtualMidiSystem::unplug (const std::shared_ptr<InputDevice>& device)
{
    {
        const std::lock_guard<std::mutex> sl (device->queueLock);
        device->plugged = false;
        device->queue.clear();
    }

    device->queueChanged.notify_all();
    const std::lock_guard<std::mutex> sl (lock);
    inputs.erase (std::remove (inputs.begin(), inputs.end(), device), inputs.end());
}

void VirtualMidiSystem::unplug (const std::shared_ptr<OutputDevice>& device)
{
    device->plugged = false;
    const std::lock_guard<std::mutex> sl (lock);
    outputs.erase (std::remove (outputs.begin(), outputs.end(), device), outputs.end());
}

std::unique_ptr<MidiDeviceLayer> VirtualMidiSystem::createLayer()
{
    return std::make_unique<VirtualMidiDeviceLayer> (shared_from_this());
}

int VirtualMidiSystem::getNumOpenInputPorts() const
{
    const std::lock_guard<std::mutex> sl (lock);
    int count = 0;

    for (auto& device : inputs)
        count += device->getNumOpenPorts();

    return count;
}

int VirtualMidiSystem::getNumOpenOutputPorts() const
{
    const std::lock_guard<std::mutex> sl (lock);
    int count = 0;

    for (auto& device : outputs)
        count += device->getNumOpenPorts();

    return count;
}

int VirtualMidiSystem::getNumListCalls() const
{
    return listCalls;
}
