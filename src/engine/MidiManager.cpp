#include "MidiManager.h"

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
MidiManager::MidiManager (std::unique_ptr<MidiDeviceLayer> deviceLayer, int pollInterval)
    : devices (std::move (deviceLayer))
{
    jassert (devices != nullptr);
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

    const juce::ScopedLock sl (listenerLock);
    listeners.clear();
}

void MidiManager::openInputsNamed (const juce::String& name, const juce::StringArray& listed)
{
    for (int index = 0; index < listed.size(); ++index)
    {
        if (listed[index] != name)
            continue;

        try
        {
            if (auto input = devices->openInput (index, *this))
            {
                input->start();
                openInputs.push_back (std::move (input));
            }
        }
        catch (const std::exception&)
        {
            // A device that fails to open is skipped, like one that yields nothing.
        }
    }
}

void MidiManager::openOutputsNamed (const juce::String& name, const juce::StringArray& listed)
{
    for (int index = 0; index < listed.size(); ++index)
    {
        if (listed[index] != name)
            continue;

        try
        {
            if (auto output = devices->openOutput (index))
                openOutputs.push_back ({ name, std::move (output) });
        }
        catch (const std::exception&)
        {
            // Skipped like an input that fails to open: one faulty device must not end the editor.
        }
    }
}

void MidiManager::openMidiInput (const juce::String& name)
{
    const juce::ScopedLock sl (portLock);

    if (! getOpenMidiInputNames().contains (name))
        openInputsNamed (name, devices->getInputDeviceNames());
}

void MidiManager::openMidiOutput (const juce::String& name)
{
    const juce::ScopedLock sl (portLock);

    if (! getOpenMidiOutputNames().contains (name))
        openOutputsNamed (name, devices->getOutputDeviceNames());
}

void MidiManager::closeAllMidiInputs()
{
    const juce::ScopedLock sl (portLock);

    for (auto& input : openInputs)
        input->stop();

    openInputs.clear();
}

void MidiManager::closeAllMidiOutputs()
{
    const juce::ScopedLock sl (portLock);
    openOutputs.clear();
}

juce::StringArray MidiManager::getOpenMidiInputNames() const
{
    const juce::ScopedLock sl (portLock);
    juce::StringArray names;

    for (auto& input : openInputs)
        names.add (input->getName());

    return names;
}

juce::StringArray MidiManager::getOpenMidiOutputNames() const
{
    const juce::ScopedLock sl (portLock);
    juce::StringArray names;

    for (auto& output : openOutputs)
        names.add (output.name);

    return names;
}

int MidiManager::getNumOpenMidiInputs() const
{
    const juce::ScopedLock sl (portLock);
    return static_cast<int> (openInputs.size());
}

int MidiManager::getNumOpenMidiOutputs() const
{
    const juce::ScopedLock sl (portLock);
    return static_cast<int> (openOutputs.size());
}

juce::StringArray MidiManager::getAwaitedMidiInputNames() const
{
    const juce::ScopedLock sl (portLock);
    return awaitedInputNames;
}

juce::StringArray MidiManager::getAwaitedMidiOutputNames() const
{
    const juce::ScopedLock sl (portLock);
    return awaitedOutputNames;
}

juce::StringArray MidiManager::getAvailableMidiInputNames()
{
    const juce::ScopedLock sl (portLock);
    return devices->getInputDeviceNames();
}

juce::StringArray MidiManager::getAvailableMidiOutputNames()
{
    const juce::ScopedLock sl (portLock);
    return devices->getOutputDeviceNames();
}

void MidiManager::sendMidiMessage (const juce::MidiMessage& message)
{
    const juce::ScopedLock sl (portLock);

    for (auto& output : openOutputs)
        output.output->sendMessageNow (message);
}

void MidiManager::addListener (Listener* listener)
{
    const juce::ScopedLock sl (listenerLock);
    listeners.add (listener);
}

void MidiManager::removeListener (Listener* listener)
{
    const juce::ScopedLock sl (listenerLock);
    listeners.remove (listener);
}

void MidiManager::handleIncomingMidiMessage (MidiDeviceLayer::Input& source, const juce::MidiMessage& message)
{
    const juce::ScopedLock sl (listenerLock);
    listeners.callNewestFirst ([&] (Listener& l) { l.handleIncomingMidiMessage (&source, message); });
}

void MidiManager::callListenersOnMessageThread (DeviceEventUpdater::Callback callback,
                                                const juce::StringArray& names)
{
    // The lock is not held while a listener runs, so that a listener may close ports while the
    // input thread is delivering (closing waits for a delivery in progress, which waits for this
    // lock). Each listener is looked up again before its call: one removed by an earlier listener
    // is not called.
    juce::Array<Listener*> snapshot;

    {
        const juce::ScopedLock sl (listenerLock);
        snapshot = listeners.getListeners();
    }

    for (int i = snapshot.size(); --i >= 0;)
    {
        auto* listener = snapshot.getUnchecked (i);

        {
            const juce::ScopedLock sl (listenerLock);

            if (! listeners.contains (listener))
                continue;
        }

        (listener->*callback) (names);
    }
}

void MidiManager::timerCallback()
{
    const juce::ScopedLock sl (portLock);

    const auto listedInputs = devices->getInputDeviceNames();

    for (auto& name : juce::StringArray (awaitedInputNames))
    {
        if (listedInputs.contains (name))
        {
            if (! getOpenMidiInputNames().contains (name))
                openInputsNamed (name, listedInputs);

            awaitedInputNames.removeString (name);
            inputReconnected.add (name);
        }
    }

    for (auto it = openInputs.begin(); it != openInputs.end();)
    {
        const auto name = (*it)->getName();

        if (listedInputs.contains (name))
        {
            ++it;
            continue;
        }

        awaitedInputNames.addIfNotAlreadyThere (name);
        inputDisconnected.add (name);
        (*it)->stop();
        it = openInputs.erase (it);
    }

    const auto listedOutputs = devices->getOutputDeviceNames();

    for (auto& name : juce::StringArray (awaitedOutputNames))
    {
        if (listedOutputs.contains (name))
        {
            if (! getOpenMidiOutputNames().contains (name))
                openOutputsNamed (name, listedOutputs);

            awaitedOutputNames.removeString (name);
            outputReconnected.add (name);
        }
    }

    for (auto it = openOutputs.begin(); it != openOutputs.end();)
    {
        if (listedOutputs.contains (it->name))
        {
            ++it;
            continue;
        }

        awaitedOutputNames.addIfNotAlreadyThere (it->name);
        outputDisconnected.add (it->name);
        it = openOutputs.erase (it);
    }
}
