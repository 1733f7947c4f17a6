#pragma once

#include "PresetFormats.h"

/** A preset as its mapping: one row per control, in reading order (strip by strip, knob rows 1 to
    3, the mute, solo and record-arm buttons, the fader; the master fader last), with the columns

      strip      1 to 8, or "master"
      control    knob1, knob2, knob3, mute, solo, recarm or fader
      kind       knob, fader or button
      type       cc or note (knobs and faders always cc)
      channel    1 to 16, counted as musicians count them
      number     the controller or note number, 0 to 127
      conflicts  the other controls that send the same message, "; " between them

    A block may hold channel bytes 16 to 127, which no MIDI channel has; they are written as the
    editor shows them, the byte plus one (17 to 128), and read back to the same byte, so that every
    valid block goes through CSV or JSON and back unchanged. Kind and conflicts are written for
    readers and checked or ignored on reading; rows may come in any order, but every control once.
*/
namespace MappingFormats
{
/** One control of a block, as the mapping shows it. */
struct Row
{
    int controlIndex;     ///< in KARVELOControlMap's reading order
    juce::String strip;   ///< "1" to "8" or "master"
    juce::String control; ///< its short name
    juce::String kind;    ///< "knob", "fader" or "button"
    juce::String type;    ///< "cc" or "note"
    int channel;          ///< the stored byte plus one: 1 to 16, or 17 to 128 outside MIDI's channels
    int number;           ///< 0 to 127
    juce::StringArray conflicts;

    bool hasUsualChannel() const noexcept;
};

/** The 57 rows of a valid block, in reading order. */
std::vector<Row> rowsOf (const ByteArray& block);

/** "cc 74 on channel 2", "note 5 on channel 10". */
juce::String describe (const Row& row);

juce::String toCsv (const ByteArray& block);
juce::String toJson (const ByteArray& block);

/** A web page that needs nothing beside it, to read and print in any browser: a heading with the
    title, the panel's picture (a PNG, left out when empty) inside the page as a data address, and
    the mapping's table, the rows with conflicts marked. */
juce::String toHtml (const ByteArray& block, const juce::String& title, const juce::MemoryBlock& panelPng);

/** An aligned table of strip, control, type, channel and number, and the conflicts when there are
    any; a channel outside 1 to 16 is marked, with a note under the table. */
juce::String toTable (const ByteArray& block);

/** Reads a mapping; the error of the first bad value names its row and field, counting rows from 1
    after the header (CSV: "row 12 (line 13), channel: ..."; JSON: "row 12 (controls[11]), ..."). */
PresetFormats::Decoded fromCsv (const juce::String& text);
PresetFormats::Decoded fromJson (const juce::String& text);

/** The CSV header and the JSON keys, in column order. */
const juce::StringArray& columnNames();
} // namespace MappingFormats
