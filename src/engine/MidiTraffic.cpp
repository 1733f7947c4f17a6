#include "MidiTraffic.h"

#include "SysExProtocol.h"
#include "model/ListenerCalls.h"

MidiTraffic::Event MidiTraffic::Event::from (const juce::MidiMessage& message, bool isOutgoing)
{
    Event event;
    event.time = juce::Time::getMillisecondCounterHiRes() / 1000.0;
    event.outgoing = isOutgoing;
    event.size = message.getRawDataSize();
    std::copy_n (message.getRawData(), juce::jmin (event.size, bytesKept), event.bytes.begin());
    return event;
}

juce::String MidiTraffic::Event::describe() const
{
    if (size <= 0)
        return "Empty message";

    const auto status = bytes[0];
    const auto channel = ", channel " + juce::String ((status & 0x0f) + 1);
    const auto data1 = juce::String (bytes[1]), data2 = juce::String (bytes[2]);

    if (status == 0xf0)
    {
        const auto length = ", " + juce::String (size) + " bytes";

        if (size > SysExProtocol::commandOffset && bytes[1] == SysExProtocol::manufacturerId)
        {
            switch (static_cast<SysExProtocol::Command> (bytes[SysExProtocol::commandOffset]))
            {
                case SysExProtocol::Command::sendPreset:
                    return "SendPreset" + length;
                case SysExProtocol::Command::requestPreset:
                    return "RequestPreset" + length;
                case SysExProtocol::Command::presetData:
                    return "PresetData" + length;
                case SysExProtocol::Command::presetAcknowledge:
                    return "Acknowledgement" + length;
            }
        }

        return "SysEx" + length;
    }

    switch (status & 0xf0)
    {
        case 0x80:
            return "Note Off " + data1 + " velocity " + data2 + channel;
        case 0x90:
            return "Note On " + data1 + " velocity " + data2 + channel;
        case 0xa0:
            return "Aftertouch " + data1 + " = " + data2 + channel;
        case 0xb0:
            return "CC " + data1 + " = " + data2 + channel;
        case 0xc0:
            return "Program Change " + data1 + channel;
        case 0xd0:
            return "Channel Pressure " + data1 + channel;
        case 0xe0:
            return "Pitch Bend " + juce::String (bytes[1] | (bytes[2] << 7)) + channel;
        default:
            break;
    }

    switch (status)
    {
        case 0xf1:
            return "Time Code " + data1;
        case 0xf2:
            return "Song Position " + juce::String (bytes[1] | (bytes[2] << 7));
        case 0xf3:
            return "Song Select " + data1;
        case 0xf6:
            return "Tune Request";
        case 0xf8:
            return "Clock";
        case 0xfa:
            return "Start";
        case 0xfb:
            return "Continue";
        case 0xfc:
            return "Stop";
        case 0xfe:
            return "Active Sensing";
        case 0xff:
            return "Reset";
        default:
            return "Message " + juce::String::toHexString (bytes.data(), juce::jmin (size, bytesKept));
    }
}

std::optional<KARVELOControlMap::Message> MidiTraffic::Event::asControlMessage() const
{
    const auto kind = bytes[0] & 0xf0;

    if (size != 3 || (kind != 0x80 && kind != 0x90 && kind != 0xb0))
        return std::nullopt;

    return KARVELOControlMap::Message{ bytes[0] & 0x0f, kind != 0xb0, bytes[1] };
}

//==============================================================================
MidiTraffic::MidiTraffic (MidiManager::Ptr manager)
    : midiManager (std::move (manager))
{
    pending.reserve (maximumPending);
    delivering.reserve (maximumPending);
    midiManager->addListener (this);
}

MidiTraffic::~MidiTraffic()
{
    // Returns only once no input thread is delivering here.
    midiManager->removeListener (this);
    cancelPendingUpdate();
    stopTimer();
}

void MidiTraffic::addListener (Listener* listener)
{
    listeners.add (listener);
}

void MidiTraffic::removeListener (Listener* listener)
{
    listeners.remove (listener);
}

void MidiTraffic::handleIncomingMidiMessage (MidiDeviceLayer::Input*, const juce::MidiMessage& message)
{
    add (Event::from (message, false));
}

void MidiTraffic::handleOutgoingMidiMessage (const juce::MidiMessage& message)
{
    add (Event::from (message, true));
}

void MidiTraffic::add (const Event& event)
{
    const juce::ScopedLock sl (lock);

    if (pending.size() < maximumPending)
        pending.push_back (event);
    else
        ++dropped;

    if (! std::exchange (scheduled, true))
        triggerAsyncUpdate();
}

void MidiTraffic::handleAsyncUpdate()
{
    deliver();
    startTimer (frameMilliseconds);
}

void MidiTraffic::timerCallback()
{
    if (! deliver())
        stopTimer();
}

bool MidiTraffic::deliver()
{
    int lost = 0;

    {
        const juce::ScopedLock sl (lock);
        delivering.clear();
        delivering.swap (pending);
        lost = std::exchange (dropped, 0);

        if (delivering.empty() && lost == 0)
        {
            scheduled = false;
            return false;
        }
    }

    callListeners (listeners, [this, lost] (Listener& l) { l.midiTrafficArrived (delivering, lost); });
    return true;
}
