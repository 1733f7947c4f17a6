#include "MidiManager.h"

#include "model/ListenerCalls.h"

//==============================================================================
MidiManager::DeviceEventUpdater::DeviceEventUpdater (MidiManager& owner, Callback c)
    : manager (owner)
    , callback (c)
{
}

MidiManager::DeviceEventUpdater::~DeviceEventUpdater()
{
    cancelPendingUpdate();
}

void MidiManager::DeviceEventUpdater::add (const juce::String& deviceName)
{
    names.addIfNotAlreadyThere (deviceName);
    triggerAsyncUpdate();
}

void MidiManager::DeviceEventUpdater::handleAsyncUpdate()
{
    const auto gathered = names;
    names.clear();
    manager.callListenersOnMessageThread (callback, gathered);
}

//==============================================================================
template <typename Port>
class MidiManager::Direction
{
public:
    using List = std::function<juce::StringArray()>;
    using Open = std::function<std::unique_ptr<Port> (int index)>;

    Direction (List l, Open o, DeviceEventUpdater& disconnectedEvents, DeviceEventUpdater& reconnectedEvents)
        : list (std::move (l))
        , openDevice (std::move (o))
        , disconnected (disconnectedEvents)
        , reconnected (reconnectedEvents)
    {
    }

    void openNamed (const juce::String& name) { openNamed (name, list()); }

    void closeAll() { open.clear(); }

    juce::StringArray getOpenNames() const
    {
        juce::StringArray names;

        for (auto& port : open)
            names.add (port.deviceName);

        return names;
    }

    int getNumOpen() const { return static_cast<int> (open.size()); }
    juce::StringArray getAwaitedNames() const { return awaited; }
    juce::StringArray getListedNames() const { return list(); }

    template <typename Function>
    void forEachOpen (Function&& function)
    {
        for (auto& port : open)
            function (*port.port);
    }

    /** Reopens the awaited names that are listed again, then closes the ports whose devices are
        no longer listed and awaits the names they were opened by. */
    void poll()
    {
        const auto listed = list();

        for (auto& name : juce::StringArray (awaited))
        {
            const auto found = findDevicesNamed (name, listed);

            if (found.isEmpty())
                continue;

            openNamed (name, listed);
            awaited.removeString (name);
            reconnected.add (listed[found.getFirst()]);
        }

        for (auto it = open.begin(); it != open.end();)
        {
            if (listed.contains (it->deviceName))
            {
                ++it;
                continue;
            }

            awaited.addIfNotAlreadyThere (it->requestedName);
            disconnected.add (it->deviceName);
            it = open.erase (it);
        }
    }

private:
    struct OpenPort
    {
        juce::String requestedName, deviceName;
        std::unique_ptr<Port> port;
    };

    void openNamed (const juce::String& name, const juce::StringArray& listed)
    {
        const auto found = findDevicesNamed (name, listed);

        if (found.isEmpty() || getOpenNames().contains (listed[found.getFirst()]))
            return;

        for (auto index : found)
        {
            try
            {
                if (auto port = openDevice (index))
                    open.push_back ({ name, listed[index], std::move (port) });
            }
            catch (const std::exception&)
            {
                // A device that fails to open is skipped, like one that yields nothing: one faulty
                // device must not end the editor.
            }
        }
    }

    const List list;
    const Open openDevice;
    DeviceEventUpdater& disconnected;
    DeviceEventUpdater& reconnected;
    juce::StringArray awaited;
    std::vector<OpenPort> open;
};

//==============================================================================
MidiManager::MidiManager (std::unique_ptr<MidiDeviceLayer> deviceLayer, int pollInterval)
    : devices (std::move (deviceLayer))
{
    jassert (devices != nullptr);

    inputs = std::make_unique<Direction<MidiDeviceLayer::Input>> (
        [this] { return devices->getInputDeviceNames(); },
        [this] (int index)
        {
            auto input = devices->openInput (index, *this);

            if (input != nullptr)
                input->start();

            return input;
        },
        inputDisconnected, inputReconnected);

    outputs = std::make_unique<Direction<MidiDeviceLayer::Output>> (
        [this] { return devices->getOutputDeviceNames(); },
        [this] (int index) { return devices->openOutput (index); }, outputDisconnected, outputReconnected);

    startTimer (pollInterval);
}

MidiManager::~MidiManager()
{
    stopTimer();

    for (auto* updater : std::initializer_list<DeviceEventUpdater*>{ &inputDisconnected, &outputDisconnected,
                                                                     &inputReconnected, &outputReconnected })
        updater->cancelPendingUpdate();

    closeAllMidiOutputs();
    closeAllMidiInputs();
    listeners.clear();
}

juce::Array<int> MidiManager::findDevicesNamed (const juce::String& name, const juce::StringArray& listed)
{
    juce::Array<int> found;

    if (name.isEmpty())
        return found;

    for (int index = 0; index < listed.size(); ++index)
        if (listed[index] == name)
            found.add (index);

    if (! found.isEmpty())
        return found;

    const auto portPrefix = name + " MIDI ";

    for (int index = 0; index < listed.size(); ++index)
    {
        const auto& candidate = listed.getReference (index);
        const auto number = candidate.substring (portPrefix.length());

        if (candidate.startsWith (portPrefix) && number.isNotEmpty() && number.containsOnly ("0123456789"))
            return { index };
    }

    return found;
}

void MidiManager::openMidiInput (const juce::String& name)
{
    const juce::ScopedLock sl (portLock);
    inputs->openNamed (name);
}

void MidiManager::openMidiOutput (const juce::String& name)
{
    const juce::ScopedLock sl (portLock);
    outputs->openNamed (name);
}

void MidiManager::closeAllMidiInputs()
{
    const juce::ScopedLock sl (portLock);
    inputs->closeAll();
}

void MidiManager::closeAllMidiOutputs()
{
    const juce::ScopedLock sl (portLock);
    outputs->closeAll();
}

juce::StringArray MidiManager::getOpenMidiInputNames() const
{
    const juce::ScopedLock sl (portLock);
    return inputs->getOpenNames();
}

juce::StringArray MidiManager::getOpenMidiOutputNames() const
{
    const juce::ScopedLock sl (portLock);
    return outputs->getOpenNames();
}

int MidiManager::getNumOpenMidiInputs() const
{
    const juce::ScopedLock sl (portLock);
    return inputs->getNumOpen();
}

int MidiManager::getNumOpenMidiOutputs() const
{
    const juce::ScopedLock sl (portLock);
    return outputs->getNumOpen();
}

juce::StringArray MidiManager::getAwaitedMidiInputNames() const
{
    const juce::ScopedLock sl (portLock);
    return inputs->getAwaitedNames();
}

juce::StringArray MidiManager::getAwaitedMidiOutputNames() const
{
    const juce::ScopedLock sl (portLock);
    return outputs->getAwaitedNames();
}

juce::StringArray MidiManager::getAvailableMidiInputNames()
{
    const juce::ScopedLock sl (portLock);
    return inputs->getListedNames();
}

juce::StringArray MidiManager::getAvailableMidiOutputNames()
{
    const juce::ScopedLock sl (portLock);
    return outputs->getListedNames();
}

void MidiManager::sendMidiMessage (const juce::MidiMessage& message)
{
    // Ports open and close on the message thread only, which this is: the count holds until the
    // message has gone out. Listeners hear of it first, so that an answer can never be heard of
    // before the message it answers.
    if (getNumOpenMidiOutputs() == 0)
        return;

    callListeners (listeners, [&] (Listener& l) { l.handleOutgoingMidiMessage (message); });

    const juce::ScopedLock sl (portLock);
    outputs->forEachOpen ([&] (MidiDeviceLayer::Output& output) { output.sendMessageNow (message); });
}

void MidiManager::addListener (Listener* listener)
{
    listeners.add (listener);
}

void MidiManager::removeListener (Listener* listener)
{
    listeners.remove (listener);
}

void MidiManager::handleIncomingMidiMessage (MidiDeviceLayer::Input& source, const juce::MidiMessage& message)
{
    callListeners (listeners, [&] (Listener& l) { l.handleIncomingMidiMessage (&source, message); });
}

void MidiManager::callListenersOnMessageThread (DeviceEventUpdater::Callback callback,
                                                const juce::StringArray& names)
{
    // The lock is not held while a listener runs, so that a listener may close ports while the
    // input thread is delivering (closing waits for a delivery in progress, which waits for this
    // lock). Each listener is looked up again before its call: one removed by an earlier listener
    // is not called.
    juce::Array<Listener*> snapshot;
    snapshot.addArray (listeners.getListeners());

    for (int i = snapshot.size(); --i >= 0;)
    {
        auto* listener = snapshot.getUnchecked (i);

        if (listeners.contains (listener))
            (listener->*callback) (names);
    }
}

void MidiManager::timerCallback()
{
    const juce::ScopedLock sl (portLock);
    inputs->poll();
    outputs->poll();
}
