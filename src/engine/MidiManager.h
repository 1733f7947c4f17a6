#pragma once

#include "MidiDeviceLayer.h"
#include <juce_events/juce_events.h>

/** The editor's MIDI ports: opens inputs and outputs by device name, sends to every open output,
    hands every incoming message to its listeners, and keeps the chosen ports open across
    unplugging.

    A poll on the message thread notices a port whose device has vanished, closes it and remembers
    its name; when a device of that name is listed again, the port is reopened. Both are reported to
    the listeners on the message thread, each kind of event gathered into one call per delivery.

    Threads: everything runs on the message thread except incoming messages, which arrive on the
    device layer's input thread and go straight to the listeners. That thread never waits for the
    message thread to get round to anything: it only takes the listener list's lock, which the
    message thread holds while it adds or removes a listener and while the listeners hear of a
    message being sent.
*/
class MidiManager
    : public juce::ReferenceCountedObject
    , private MidiDeviceLayer::InputCallback
    , private juce::Timer
{
public:
    using Ptr = juce::ReferenceCountedObjectPtr<MidiManager>;

    static constexpr int pollIntervalMilliseconds = 50;

    class Listener
    {
    public:
        virtual ~Listener() = default;

        /** Called on the MIDI input thread for every message of every open input. */
        virtual void handleIncomingMidiMessage (MidiDeviceLayer::Input* source,
                                                const juce::MidiMessage& message) = 0;

        /** Called on the message thread with every message about to be sent to the open outputs (when
            there is at least one). */
        virtual void handleOutgoingMidiMessage (const juce::MidiMessage&) {}

        /** Called on the message thread with the names of the ports closed (or reopened) since the
            last call. */
        virtual void midiInputDevicesDisconnected (juce::StringArray) {}
        virtual void midiOutputDevicesDisconnected (juce::StringArray) {}
        virtual void midiInputDevicesReconnected (juce::StringArray) {}
        virtual void midiOutputDevicesReconnected (juce::StringArray) {}
    };

    explicit MidiManager (std::unique_ptr<MidiDeviceLayer> devices,
                          int pollInterval = pollIntervalMilliseconds);
    ~MidiManager() override;

    /** Opens the devices that findDevicesNamed finds for this name, unless a port of the first one's
        name is open already. A device that cannot be opened is skipped. The port keeps the name it
        was asked for: when its device vanishes, that name is awaited and found again the same way. */
    void openMidiInput (const juce::String& name);
    void openMidiOutput (const juce::String& name);

    /** Closes every open port. Names awaiting reconnection stay awaited. */
    void closeAllMidiInputs();
    void closeAllMidiOutputs();

    /** The listed names of the open ports' devices, in opening order. */
    juce::StringArray getOpenMidiInputNames() const;
    juce::StringArray getOpenMidiOutputNames() const;
    int getNumOpenMidiInputs() const;
    int getNumOpenMidiOutputs() const;

    /** Names of ports that vanished and will be reopened when their device is listed again. */
    juce::StringArray getAwaitedMidiInputNames() const;
    juce::StringArray getAwaitedMidiOutputNames() const;

    /** The devices the system lists now. */
    juce::StringArray getAvailableMidiInputNames();
    juce::StringArray getAvailableMidiOutputNames();

    /** Which of the listed devices a port of this name means, by index: every device of exactly this
        name (case-sensitive); when there is none, the first device named this name, " MIDI " and a
        number, which is how Linux's USB MIDI driver names a device's ports ("Karvelo MIDI 1" for the
        device "Karvelo"). An empty name finds nothing. */
    static juce::Array<int> findDevicesNamed (const juce::String& name, const juce::StringArray& listed);

    /** Sends at once on every open output, in opening order. Message thread only. */
    void sendMidiMessage (const juce::MidiMessage& message);

    /** Listeners are called from the most recently added to the first. Once removeListener returns,
        the listener receives nothing more, from any thread. */
    void addListener (Listener* listener);
    void removeListener (Listener* listener);

private:
    /** Gathers one kind of device event and reports it on the message thread. */
    class DeviceEventUpdater : public juce::AsyncUpdater
    {
    public:
        using Callback = void (Listener::*) (juce::StringArray);

        DeviceEventUpdater (MidiManager& owner, Callback callback);
        ~DeviceEventUpdater() override;

        void add (const juce::String& deviceName);
        void handleAsyncUpdate() override;

    private:
        MidiManager& manager;
        Callback callback;
        juce::StringArray names;
    };

public:
    class MidiInputDeviceDisconnectUpdater : public DeviceEventUpdater
    {
    public:
        explicit MidiInputDeviceDisconnectUpdater (MidiManager& m)
            : DeviceEventUpdater (m, &Listener::midiInputDevicesDisconnected)
        {
        }
    };

    class MidiOutputDeviceDisconnectUpdater : public DeviceEventUpdater
    {
    public:
        explicit MidiOutputDeviceDisconnectUpdater (MidiManager& m)
            : DeviceEventUpdater (m, &Listener::midiOutputDevicesDisconnected)
        {
        }
    };

    class MidiInputDeviceReconnectUpdater : public DeviceEventUpdater
    {
    public:
        explicit MidiInputDeviceReconnectUpdater (MidiManager& m)
            : DeviceEventUpdater (m, &Listener::midiInputDevicesReconnected)
        {
        }
    };

    class MidiOutputDeviceReconnectUpdater : public DeviceEventUpdater
    {
    public:
        explicit MidiOutputDeviceReconnectUpdater (MidiManager& m)
            : DeviceEventUpdater (m, &Listener::midiOutputDevicesReconnected)
        {
        }
    };

private:
    /** The ports of one direction (MidiDeviceLayer::Input or Output): the open ones, the names
        awaited, and how its devices are listed and opened. Defined in the .cpp; used under portLock. */
    template <typename Port>
    class Direction;

    // Called on the MIDI input thread.
    void handleIncomingMidiMessage (MidiDeviceLayer::Input& source,
                                    const juce::MidiMessage& message) override;
    void timerCallback() override;

    void callListenersOnMessageThread (DeviceEventUpdater::Callback callback, const juce::StringArray& names);

    std::unique_ptr<MidiDeviceLayer> devices;

    MidiInputDeviceDisconnectUpdater inputDisconnected{ *this };
    MidiOutputDeviceDisconnectUpdater outputDisconnected{ *this };
    MidiInputDeviceReconnectUpdater inputReconnected{ *this };
    MidiOutputDeviceReconnectUpdater outputReconnected{ *this };

    std::unique_ptr<Direction<MidiDeviceLayer::Input>> inputs;
    std::unique_ptr<Direction<MidiDeviceLayer::Output>> outputs;
    juce::CriticalSection portLock;

    // The list's own lock is held for a whole walk, so removeListener waits for a delivery on the
    // input thread to end.
    juce::ListenerList<Listener, juce::Array<Listener*, juce::CriticalSection>> listeners;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MidiManager)
};
