#include "JuceMidiDeviceLayer.h"

#include "MidiSequencerSession.h"

namespace
{
class JuceInput final
    : public MidiDeviceLayer::Input
    , private juce::MidiInputCallback
{
public:
    JuceInput (const juce::MidiDeviceInfo& device, MidiDeviceLayer::InputCallback& c)
        : name (device.name)
        , callback (c)
        , input (juce::MidiInput::openDevice (device.identifier, this))
    {
    }

    bool isOpen() const noexcept { return input != nullptr; }

    juce::String getName() const override { return name; }
    void start() override { input->start(); }
    void stop() override { input->stop(); }

private:
    void handleIncomingMidiMessage (juce::MidiInput*, const juce::MidiMessage& message) override
    {
        callback.handleIncomingMidiMessage (*this, message);
    }

    juce::String name;
    MidiDeviceLayer::InputCallback& callback;
    std::unique_ptr<juce::MidiInput> input;
};

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

    auto input = std::make_unique<JuceInput> (listedInputs.getReference (index), callback);
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
