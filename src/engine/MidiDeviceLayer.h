#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <memory>

/** The operating system's MIDI devices, reduced to what the MIDI manager relies on: the current
    lists of device names, opening a device by its index in the list last fetched, starting and
    stopping an input, and sending a message at once on an output.

    The application uses JuceMidiDeviceLayer; the tests plug in virtual devices. All calls come
    from the message thread; only input deliveries arrive on a thread of the device layer.
*/
class MidiDeviceLayer
{
public:
    class Input;

    /** Receives every message of an open, started input, on a thread of the device layer. */
    class InputCallback
    {
    public:
        virtual ~InputCallback() = default;

        /** Called on the device layer's input thread. */
        virtual void handleIncomingMidiMessage (Input& source, const juce::MidiMessage& message) = 0;
    };

    /** An open input. Destroying it stops it, and returns only when no delivery to its callback is
        still in progress. */
    class Input
    {
    public:
        virtual ~Input() = default;
        virtual juce::String getName() const = 0;
        virtual void start() = 0;
        virtual void stop() = 0;
    };

    /** An open output. */
    class Output
    {
    public:
        virtual ~Output() = default;
        virtual void sendMessageNow (const juce::MidiMessage& message) = 0;
    };

    virtual ~MidiDeviceLayer() = default;

    /** Names of the devices listed now, in the system's order; the same name may occur twice. */
    virtual juce::StringArray getInputDeviceNames() = 0;
    virtual juce::StringArray getOutputDeviceNames() = 0;

    /** Opens the device at this index of the list that the last name call returned. May return
        nothing, and may throw a std::exception. */
    virtual std::unique_ptr<Input> openInput (int index, InputCallback& callback) = 0;
    virtual std::unique_ptr<Output> openOutput (int index) = 0;
};
