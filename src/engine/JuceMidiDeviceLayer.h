#pragma once

#include "MidiDeviceLayer.h"

#include <juce_audio_devices/juce_audio_devices.h>

/** The real MIDI devices, through juce::MidiInput and juce::MidiOutput.

    Devices are listed by their plain names (juce::MidiInput::getDevices would number duplicates).
    A device is opened by the identifier it had in the last list fetched, so a device that appeared
    or vanished since then cannot be mistaken for another. The layer holds the platform's MIDI
    client for its whole life: on Linux that keeps the 50 ms device poll from opening and closing
    an ALSA sequencer client on every pass, and it keeps JUCE's MIDI input thread running from the
    first input started on (see InputThreadKeeper in the .cpp).
*/
class JuceMidiDeviceLayer : public MidiDeviceLayer
{
public:
    JuceMidiDeviceLayer();
    ~JuceMidiDeviceLayer() override;

    juce::StringArray getInputDeviceNames() override;
    juce::StringArray getOutputDeviceNames() override;
    std::unique_ptr<Input> openInput (int index, InputCallback& callback) override;
    std::unique_ptr<Output> openOutput (int index) override;

private:
    class JuceInput;
    class InputThreadKeeper;

    static juce::StringArray namesOf (const juce::Array<juce::MidiDeviceInfo>& devices);

    juce::ReferenceCountedObjectPtr<juce::ReferenceCountedObject> sequencerSession;
    std::shared_ptr<InputThreadKeeper> inputThreadKeeper; // shared with the inputs, which may outlive it
    juce::Array<juce::MidiDeviceInfo> listedInputs, listedOutputs;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (JuceMidiDeviceLayer)
};
