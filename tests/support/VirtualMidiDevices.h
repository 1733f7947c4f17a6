#pragma once

#include "engine/MidiDeviceLayer.h"
#include "model/ByteArray.h"

#include <chrono>
#include <deque>
#include <variant>

struct VirtualPort;

struct VirtualDeviceOptions
{
    bool throwOnOpen = false;       ///< opening it throws a std::exception
    bool openYieldsNothing = false; ///< opening it returns no port
};

// An in-process MIDI device, plugged in as an input (what the editor reads from) or an output.
// An input delivers each message sent into it to its open, started ports, in order and each no
// earlier than its delay, on a thread of its own as a real MIDI input thread would. Raw bytes sent
// into it go through the reassembly that JUCE's ALSA input runs on each incoming event (one per
// device, for its whole life), and each message they complete is delivered. An output records each message
// the editor sends to it and hands it to the observer, then the receiver. An unplugged device never
// carries anything again.
class VirtualMidiDevice
{
public:
    using Handler = std::function<void (const juce::MidiMessage&)>;

    VirtualMidiDevice (const juce::String& n, VirtualDeviceOptions o)
        : name (n)
        , options (o)
    {
    }

    ~VirtualMidiDevice()
    {
        pullOut();
        thread.join();
    }

    // Input: queues a message for delivery after the delay, as it is; or bytes of any value, one chunk
    // as a driver hands them over, split anywhere, for the reassembly.
    void send (std::variant<juce::MidiMessage, ByteArray> item, int delayMilliseconds = 0);
    // Input: waits until everything sent so far has been delivered, or the device is unplugged.
    bool waitUntilIdle (int timeoutMilliseconds = 5000);
    // Input: called on the device's thread with each message just before it is delivered.
    void setDeliveryObserver (Handler handler) { set (deliveryObserver, std::move (handler)); }

    void setReceiver (Handler handler) { set (receiver, std::move (handler)); }
    void setObserver (Handler handler) { set (observer, std::move (handler)); }

    std::vector<ByteArray> getReceived() const
    {
        const std::lock_guard<std::recursive_mutex> sl (lock);
        return received;
    }

    // Unplugs it: it never delivers nor receives anything again.
    void pullOut()
    {
        const std::lock_guard<std::recursive_mutex> sl (lock);
        plugged = false;
        changed.notify_all();
    }

    const juce::String name;
    const VirtualDeviceOptions options;

private:
    friend class VirtualMidiDeviceLayer;
    friend struct VirtualPort;

    void set (Handler& slot, Handler handler)
    {
        const std::lock_guard<std::recursive_mutex> sl (lock);
        slot = std::move (handler);
    }

    void receive (const juce::MidiMessage& message);
    void run();

    std::atomic<bool> plugged{ true };
    // Held while delivering too: closing a port waits for a delivery in progress, as JUCE's does.
    mutable std::recursive_mutex lock;
    std::condition_variable_any changed;
    // Each message or chunk stays first in the queue until it has been delivered.
    std::deque<std::pair<std::variant<juce::MidiMessage, ByteArray>, std::chrono::steady_clock::time_point>>
        queued;
    std::vector<ByteArray> received;
    Handler deliveryObserver, receiver, observer;
    std::vector<VirtualPort*> ports;
    std::thread thread{ [this] { run(); } }; // last: everything it uses exists
};

using VirtualDevices = std::vector<std::shared_ptr<VirtualMidiDevice>>;

// The devices plugged in now, and device layers on them for MidiManagers.
class VirtualMidiSystem : public std::enable_shared_from_this<VirtualMidiSystem>
{
public:
    using Device = std::shared_ptr<VirtualMidiDevice>;

    static std::shared_ptr<VirtualMidiSystem> create() { return std::make_shared<VirtualMidiSystem>(); }

    Device plugInput (const juce::String& n, VirtualDeviceOptions o = {}) { return plug (inputs, n, o); }
    Device plugOutput (const juce::String& n, VirtualDeviceOptions o = {}) { return plug (outputs, n, o); }
    void unplug (const Device& device);

    std::unique_ptr<MidiDeviceLayer> createLayer();

    // Ports open through the layers, on devices plugged in or not, and how often the device lists
    // were fetched.
    int getNumOpenPorts() const { return openPorts; }
    int getNumListCalls() const { return listCalls; }

private:
    friend class VirtualMidiDeviceLayer;
    friend struct VirtualPort;

    Device plug (VirtualDevices& list, const juce::String& n, VirtualDeviceOptions o)
    {
        auto device = std::make_shared<VirtualMidiDevice> (n, o);
        const std::lock_guard<std::mutex> sl (lock);
        list.push_back (device);
        return device;
    }

    mutable std::mutex lock;
    VirtualDevices inputs, outputs;
    std::atomic<int> openPorts{ 0 }, listCalls{ 0 };
};
