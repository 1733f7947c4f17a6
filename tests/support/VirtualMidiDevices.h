#pragma once

#include "engine/MidiDeviceLayer.h"
#include "model/ByteArray.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

/** In-process MIDI devices that tests plug in and pull out by name.

    A VirtualInputDevice is what the editor reads from: whatever is sent into it is delivered, on a
    thread of its own as a real MIDI input thread would, to every open and started port on it. A
    VirtualOutputDevice is what the editor writes to: every message sent to it is recorded and handed
    to whoever plays the device (a simulated controller, say). Pulling a device out removes it from
    the lists; ports still open on it stay open but carry nothing, until the editor closes them.
*/
struct VirtualDeviceOptions
{
    bool throwOnOpen = false;       ///< opening it throws a std::exception
    bool openYieldsNothing = false; ///< opening it returns no port
};

class VirtualMidiSystem : public std::enable_shared_from_this<VirtualMidiSystem>
{
public:
    using DeviceOptions = VirtualDeviceOptions;

    class InputDevice;
    class OutputDevice;

    static std::shared_ptr<VirtualMidiSystem> create();

    std::shared_ptr<InputDevice> plugInput (const juce::String& name, DeviceOptions options = {});
    std::shared_ptr<OutputDevice> plugOutput (const juce::String& name, DeviceOptions options = {});
    void unplug (const std::shared_ptr<InputDevice>& device);
    void unplug (const std::shared_ptr<OutputDevice>& device);

    /** A device layer on these devices, for a MidiManager. */
    std::unique_ptr<MidiDeviceLayer> createLayer();

    /** How many ports are open on all devices, and how often the lists were fetched. */
    int getNumOpenInputPorts() const;
    int getNumOpenOutputPorts() const;
    int getNumListCalls() const;

private:
    friend class VirtualMidiDeviceLayer;

    VirtualMidiSystem() = default;

    mutable std::mutex lock;
    std::vector<std::shared_ptr<InputDevice>> inputs;
    std::vector<std::shared_ptr<OutputDevice>> outputs;
    std::atomic<int> listCalls{ 0 };
};

class VirtualMidiSystem::InputDevice : public std::enable_shared_from_this<InputDevice>
{
public:
    class Port;

    InputDevice (const juce::String& name, DeviceOptions options);
    ~InputDevice();

    const juce::String name;
    const DeviceOptions options;

    /** Queues a message for delivery on the device's thread. Dropped once the device is unplugged. */
    void send (const juce::MidiMessage& message);

    /** Waits until everything sent so far has been delivered (or dropped). */
    bool waitUntilIdle (int timeoutMilliseconds = 5000);

    bool isPlugged() const noexcept { return plugged; }
    int getNumOpenPorts() const;

private:
    friend class VirtualMidiSystem;
    friend class VirtualMidiDeviceLayer;

    std::unique_ptr<MidiDeviceLayer::Input> open (MidiDeviceLayer::InputCallback& callback);
    void removePort (Port* port);
    void run();

    std::atomic<bool> plugged{ true };
    mutable std::mutex queueLock;
    std::condition_variable queueChanged;
    std::deque<juce::MidiMessage> queue;
    bool delivering = false, stopping = false;

    // Held while delivering: closing a port waits for a delivery in progress, as JUCE's does.
    mutable std::recursive_mutex deliveryLock;
    std::vector<Port*> ports;

    std::thread thread;
};

class VirtualMidiSystem::OutputDevice : public std::enable_shared_from_this<OutputDevice>
{
public:
    OutputDevice (const juce::String& name, DeviceOptions options);

    const juce::String name;
    const DeviceOptions options;

    /** Called, on the sending thread, with every message the editor sends to this device. */
    void setReceiver (std::function<void (const juce::MidiMessage&)> receiver);

    /** Every message received so far, as bytes. */
    std::vector<ByteArray> getReceived() const;

    bool isPlugged() const noexcept { return plugged; }
    int getNumOpenPorts() const { return openPorts; }

private:
    friend class VirtualMidiSystem;
    friend class VirtualMidiDeviceLayer;
    class Port;

    void receive (const juce::MidiMessage& message);

    std::atomic<bool> plugged{ true };
    std::atomic<int> openPorts{ 0 };
    mutable std::mutex lock;
    std::vector<ByteArray> received;
    std::function<void (const juce::MidiMessage&)> receiver;
};
