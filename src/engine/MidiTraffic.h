#pragma once

#include "MidiManager.h"
#include "model/KARVELOControlMap.h"

#include <array>
#include <atomic>

/** What passes through the editor's MIDI ports, for the people watching it: the panel's MIDI LED,
    touch-to-find and the MIDI monitor.

    Incoming messages are copied on the MIDI input thread into a bounded buffer and handed to the
    listeners on the message thread in batches: the first message after a quiet spell at once, then
    at most one batch per frame for as long as messages keep coming. A device that floods fills the
    buffer and the rest is counted as dropped, so memory stays flat and the message thread is never
    swamped. Only the first bytes of a system-exclusive message are kept, with its length.
*/
class MidiTraffic
    : public juce::ReferenceCountedObject
    , private MidiManager::Listener
    , private juce::AsyncUpdater
    , private juce::Timer
{
public:
    using Ptr = juce::ReferenceCountedObjectPtr<MidiTraffic>;

    /** One message, outgoing or incoming. */
    struct Event
    {
        static constexpr int bytesKept = 16;

        double time = 0;       ///< seconds, juce::Time::getMillisecondCounterHiRes() / 1000
        bool outgoing = false; ///< sent by the editor rather than received
        int size = 0;          ///< the whole message's length
        std::array<juce::uint8, bytesKept> bytes{};

        static Event from (const juce::MidiMessage& message, bool outgoing);

        bool isSysEx() const noexcept { return size > 0 && bytes[0] == 0xf0; }
        bool isRealtime() const noexcept { return size == 1 && bytes[0] >= 0xf8; }

        /** "CC 21 = 64, channel 1", "Note On 5 velocity 100, channel 2", "SendPreset, 146 bytes". */
        juce::String describe() const;

        /** What a control of the Karvelo would send for this message: a controller or note message
            with its channel (from 0) and number. Nothing for any other message. */
        std::optional<KARVELOControlMap::Message> asControlMessage() const;
    };

    class Listener
    {
    public:
        virtual ~Listener() = default;

        /** Called on the message thread with the messages since the last call, oldest first, and the
            number of incoming messages dropped because the buffer was full. */
        virtual void midiTrafficArrived (const std::vector<Event>& events, int dropped) = 0;
    };

    /** Longest the buffer grows between two deliveries. */
    static constexpr size_t maximumPending = 4096;

    /** Time between deliveries while messages keep arriving: one frame. */
    static constexpr int frameMilliseconds = 16;

    explicit MidiTraffic (MidiManager::Ptr manager);
    ~MidiTraffic() override;

    void addListener (Listener* listener);
    void removeListener (Listener* listener);

private:
    // Called on the MIDI input thread.
    void handleIncomingMidiMessage (MidiDeviceLayer::Input* source,
                                    const juce::MidiMessage& message) override;
    // Called on the message thread.
    void handleOutgoingMidiMessage (const juce::MidiMessage& message) override;
    // Called on either; takes the lock.
    void add (const Event& event);
    void handleAsyncUpdate() override;
    void timerCallback() override;
    bool deliver();

    MidiManager::Ptr midiManager;
    juce::ListenerList<Listener> listeners;

    juce::CriticalSection lock;
    std::vector<Event> pending, delivering;
    int dropped = 0;
    bool scheduled = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MidiTraffic)
};
