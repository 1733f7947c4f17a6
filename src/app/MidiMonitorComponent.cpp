#include "MidiMonitorComponent.h"

#include "engine/SysExProtocol.h"

namespace
{
constexpr int buttonWidth = 80, buttonHeight = 24, margin = 8, rowHeight = 18;
} // namespace

MidiMonitorComponent::MidiMonitorComponent (MidiTraffic::Ptr midiTraffic, ActivePresetBlock activePresetBlock)
    : traffic (std::move (midiTraffic))
    , getActivePresetBlock (std::move (activePresetBlock))
{
    list.setModel (this);
    list.setRowHeight (rowHeight);
    list.setMultipleSelectionEnabled (true);
    list.setColour (juce::ListBox::backgroundColourId, juce::Colours::black);
    addAndMakeVisible (list);

    pauseButton.setClickingTogglesState (true);
    pauseButton.onClick = [this] { setPaused (pauseButton.getToggleState()); };
    clearButton.onClick = [this] { clear(); };
    copyButton.onClick = [this] { copySelectedLines(); };

    for (auto* button : { &pauseButton, &clearButton, &copyButton })
        addAndMakeVisible (button);

    setSize (640, 420);
    traffic->addListener (this);
}

MidiMonitorComponent::~MidiMonitorComponent()
{
    traffic->removeListener (this);
    list.setModel (nullptr);
}

void MidiMonitorComponent::resized()
{
    auto area = getLocalBounds().reduced (margin);
    auto buttons = area.removeFromBottom (buttonHeight);
    area.removeFromBottom (margin);
    list.setBounds (area);

    for (auto* button : { &pauseButton, &clearButton, &copyButton })
    {
        button->setBounds (buttons.removeFromLeft (buttonWidth));
        buttons.removeFromLeft (margin);
    }
}

juce::StringArray MidiMonitorComponent::getLines() const
{
    juce::StringArray shown;

    for (auto& line : lines)
        shown.add (format (line));

    return shown;
}

void MidiMonitorComponent::setPaused (bool shouldBePaused)
{
    paused = shouldBePaused;
    pauseButton.setToggleState (paused, juce::dontSendNotification);
}

void MidiMonitorComponent::clear()
{
    linesRemoved += lines.size();
    lines.clear();
    unacknowledgedSends.clear();
    list.updateContent();
    list.repaint();
}

void MidiMonitorComponent::copySelectedLines()
{
    juce::StringArray copied;
    const auto selected = list.getSelectedRows();

    for (int row = 0; row < getNumRows(); ++row)
        if (selected.isEmpty() || selected.contains (row))
            copied.add (format (lines[(size_t) row]));

    juce::SystemClipboard::copyTextToClipboard (copied.joinIntoString ("\n"));
}

juce::String MidiMonitorComponent::format (const Line& line)
{
    const juce::Time time (static_cast<juce::int64> (line.time * 1000.0));
    return time.formatted ("%H:%M:%S.") + juce::String (time.getMilliseconds()).paddedLeft ('0', 3)
           + (line.outgoing ? "  out  " : "  in   ") + line.text;
}

juce::String MidiMonitorComponent::describeIncoming (const MidiTraffic::Event& event,
                                                     const std::optional<ByteArray>& block) const
{
    auto text = event.describe();
    const auto message = event.asControlMessage();

    if (! message.has_value() || ! block.has_value())
        return text;

    juce::StringArray names;

    for (auto index : KARVELOControlMap::findControlsSending (*block, *message))
        names.add (KARVELOControlMap::getControls()[(size_t) index].getName());

    return text + " - "
           + (names.isEmpty() ? juce::String ("no control of this preset") : names.joinIntoString (", "));
}

void MidiMonitorComponent::midiTrafficArrived (const std::vector<MidiTraffic::Event>& events, int dropped)
{
    if (paused)
        return;

    // Times are of the wall clock, for people; the events' own are of a monotonic counter.
    const auto offset = static_cast<double> (juce::Time::currentTimeMillis()) / 1000.0
                        - juce::Time::getMillisecondCounterHiRes() / 1000.0;
    const auto block = getActivePresetBlock != nullptr ? getActivePresetBlock() : std::nullopt;
    const auto add = [this] (double time, bool outgoing, juce::String text) {
        lines.push_back ({ time, outgoing, std::move (text) });
    };

    for (auto& event : events)
    {
        const auto time = event.time + offset;

        if (event.outgoing)
        {
            if (event.isSysEx() && event.size > SysExProtocol::commandOffset
                && event.bytes[SysExProtocol::commandOffset]
                       == (juce::uint8) SysExProtocol::Command::sendPreset)
                unacknowledgedSends.push_back (linesRemoved + lines.size());

            add (time, true, event.describe());
            continue;
        }

        if (SysExProtocol::recognise (event.bytes.data(), event.size, event.size)
                == SysExProtocol::MessageKind::acknowledgement
            && ! unacknowledgedSends.empty())
        {
            const auto position = unacknowledgedSends.front();
            unacknowledgedSends.pop_front();

            if (position >= linesRemoved)
                lines[position - linesRemoved].text << ", acknowledged";
        }

        add (time, false, describeIncoming (event, block));
    }

    if (dropped > 0)
        add (offset + juce::Time::getMillisecondCounterHiRes() / 1000.0, false,
             juce::String (dropped) + " messages not shown: they came faster than they could be listed");

    while (lines.size() > maximumLines)
    {
        lines.pop_front();
        ++linesRemoved;
    }

    while (! unacknowledgedSends.empty() && unacknowledgedSends.front() < linesRemoved)
        unacknowledgedSends.pop_front();

    list.updateContent();
    list.scrollToEnsureRowIsOnscreen (getNumRows() - 1);
    list.repaint();
}

int MidiMonitorComponent::getNumRows()
{
    return static_cast<int> (lines.size());
}

void MidiMonitorComponent::paintListBoxItem (int row, juce::Graphics& g, int width, int height, bool selected)
{
    if (! juce::isPositiveAndBelow (row, getNumRows()))
        return;

    const auto& line = lines[(size_t) row];
    g.fillAll (selected ? juce::Colours::darkslategrey : juce::Colours::black);
    g.setColour (line.outgoing ? juce::Colours::orange : juce::Colours::white);
    g.setFont (juce::Font (13.0f));
    g.drawText (format (line), 6, 0, width - 12, height, juce::Justification::centredLeft, true);
}
