#include "JuceMidiDeviceLayer.h"

#include "MidiSequencerSession.h"

namespace
{
// One juce::MidiInput and the callback JUCE delivers its messages to, which passes them on to the
// layer's callback while one is attached. JUCE holds the callback by pointer: the input, declared
// last, is closed first.
struct Connection final : private juce::MidiInputCallback
{
    Connection (const juce::MidiDeviceInfo& device, MidiDeviceLayer::Input& s)
        : source (s)
        , input (juce::MidiInput::openDevice (device.identifier, this))
    {
    }

    /** Returns only when no delivery to the previous callback is in progress. Message thread. */
    void attach (MidiDeviceLayer::InputCallback* newCallback)
    {
        const juce::ScopedLock sl (lock);
        callback = newCallback;
    }

    // Called on JUCE's MIDI input thread (on Linux its one "JUCE MIDI Input" thread, which reads the
    // ALSA sequencer and reassembles the bytes into messages), with JUCE's callback lock held.
    void handleIncomingMidiMessage (juce::MidiInput*, const juce::MidiMessage& message) override
    {
        const juce::ScopedLock sl (lock);

        if (callback != nullptr)
            callback->handleIncomingMidiMessage (source, message);
    }

    MidiDeviceLayer::Input& source;
    juce::CriticalSection lock;
    MidiDeviceLayer::InputCallback* callback = nullptr;
    std::unique_ptr<juce::MidiInput> input;
};
} // namespace

// JUCE's Linux MIDI code serves every input from one thread, which it asks to stop when the last
// started input stops. The thread notices only when its wait for input ends, up to 100 ms later,
// and an input started before then is never served: starting a thread that is still running does
// nothing, and the request to stop stands. Closing every port and opening the chosen ones at once,
// as MIDI Setup does, would leave the editor deaf. So the input closed last stays started, attached
// to nothing, until another input has started: the thread never stops while the layer is in use.
// Used on the message thread only, as the layer is.
class JuceMidiDeviceLayer::InputThreadKeeper
{
public:
    /** Keeps a started input; the one kept before is closed. */
    void keep (std::unique_ptr<Connection> closed) { kept = std::move (closed); }

    /** Closes the input kept, once another has started. */
    void release() { kept.reset(); }

private:
    std::unique_ptr<Connection> kept;
};

class JuceMidiDeviceLayer::JuceInput final : public MidiDeviceLayer::Input
{
public:
    JuceInput (const juce::MidiDeviceInfo& device, MidiDeviceLayer::InputCallback& c,
               std::shared_ptr<InputThreadKeeper> k)
        : name (device.name)
        , callback (c)
        , keeper (std::move (k))
        , connection (std::make_unique<Connection> (device, *this))
    {
    }

    ~JuceInput() override
    {
        connection->attach (nullptr);

        if (started)
            keeper->keep (std::move (connection));
    }

    bool isOpen() const noexcept { return connection->input != nullptr; }

    juce::String getName() const override { return name; }

    void start() override
    {
        if (! std::exchange (started, true))
        {
            connection->input->start();
            keeper->release();
        }

        connection->attach (&callback);
    }

    void stop() override { connection->attach (nullptr); }

private:
    juce::String name;
    MidiDeviceLayer::InputCallback& callback;
    std::shared_ptr<InputThreadKeeper> keeper;
    std::unique_ptr<Connection> connection;
    bool started = false;
};

namespace
{
class JuceOutput final : public MidiDeviceLayer::Output
{
public:
    explicit JuceOutput (std::unique_ptr<juce::MidiOutput> o)
        : output (std::move (o))
    {
    }

    ~JuceOutput() override { output->stopBackgroundThread(); }

    void sendMessageNow (const juce::MidiMessage& message) override { output->sendMessageNow (message); }

private:
    std::unique_ptr<juce::MidiOutput> output;
};
} // namespace

JuceMidiDeviceLayer::JuceMidiDeviceLayer()
    : sequencerSession (karvelo::openMidiSequencerSession())
    , inputThreadKeeper (std::make_shared<InputThreadKeeper>())
{
}

JuceMidiDeviceLayer::~JuceMidiDeviceLayer() = default;

juce::StringArray JuceMidiDeviceLayer::namesOf (const juce::Array<juce::MidiDeviceInfo>& devices)
{
    juce::StringArray names;

    for (auto& device : devices)
        names.add (device.name);

    return names;
}

juce::StringArray JuceMidiDeviceLayer::getInputDeviceNames()
{
    listedInputs = juce::MidiInput::getAvailableDevices();
    return namesOf (listedInputs);
}

juce::StringArray JuceMidiDeviceLayer::getOutputDeviceNames()
{
    listedOutputs = juce::MidiOutput::getAvailableDevices();
    return namesOf (listedOutputs);
}

std::unique_ptr<MidiDeviceLayer::Input> JuceMidiDeviceLayer::openInput (int index, InputCallback& callback)
{
    if (! juce::isPositiveAndBelow (index, listedInputs.size()))
        return {};

    auto input = std::make_unique<JuceInput> (listedInputs.getReference (index), callback, inputThreadKeeper);
    return input->isOpen() ? std::move (input) : nullptr;
}

std::unique_ptr<MidiDeviceLayer::Output> JuceMidiDeviceLayer::openOutput (int index)
{
    if (! juce::isPositiveAndBelow (index, listedOutputs.size()))
        return {};

    if (auto output = juce::MidiOutput::openDevice (listedOutputs.getReference (index).identifier))
        return std::make_unique<JuceOutput> (std::move (output));

    return {};
}
