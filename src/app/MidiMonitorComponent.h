#pragma once

#include "engine/MidiTraffic.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <deque>
#include <functional>

/** The MIDI Monitor's panel: one line per message that arrives from the open input or that the
    editor sends, newest at the bottom, with Pause, Clear and Copy.

    A line gives the time, the direction, the decoded message ("CC 21 = 64, channel 1") and, for an
    incoming controller or note message, which control of the active window's preset sends it, or
    "no control of this preset". An acknowledgement marks the SendPreset it answers. The history is
    bounded; a flood only ever costs one list update per delivered batch. Message thread only.
*/
class MidiMonitorComponent
    : public juce::Component
    , private MidiTraffic::Listener
    , private juce::ListBoxModel
{
public:
    /** The preset block of the active window, if there is one: what incoming messages are matched
        against. */
    using ActivePresetBlock = std::function<std::optional<ByteArray>()>;

    /** Lines kept; older ones go. */
    static constexpr size_t maximumLines = 5000;

    MidiMonitorComponent (MidiTraffic::Ptr traffic, ActivePresetBlock activePresetBlock);
    ~MidiMonitorComponent() override;

    void resized() override;

    /** The lines shown, oldest first, as they are copied. */
    juce::StringArray getLines() const;

    void setPaused (bool shouldBePaused);
    bool isPaused() const { return paused; }
    void clear();

    /** Puts the selected lines (all of them when none is selected) on the clipboard, one a line. */
    void copySelectedLines();

    juce::ListBox& getList() { return list; }

private:
    struct Line
    {
        double time;
        bool outgoing;
        juce::String text;
    };

    void midiTrafficArrived (const std::vector<MidiTraffic::Event>& events, int dropped) override;

    int getNumRows() override;
    void paintListBoxItem (int row, juce::Graphics& g, int width, int height, bool selected) override;

    juce::String describeIncoming (const MidiTraffic::Event& event,
                                   const std::optional<ByteArray>& block) const;
    static juce::String format (const Line& line);

    MidiTraffic::Ptr traffic;
    ActivePresetBlock getActivePresetBlock;
    std::deque<Line> lines;
    std::deque<size_t> unacknowledgedSends; ///< positions counted from the first line ever
    size_t linesRemoved = 0;
    bool paused = false;

    juce::ListBox list;
    juce::TextButton pauseButton{ "Pause" }, clearButton{ "Clear" }, copyButton{ "Copy" };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MidiMonitorComponent)
};
