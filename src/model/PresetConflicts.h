#pragma once

#include "KARVELOControlMap.h"

/** Controls of one preset that send the same message, so that a receiving program cannot tell
    them apart: knobs and faders on the same channel and controller number, buttons on the same
    channel, type and number, and a button in controller mode with a knob or fader on the same
    channel and controller number.

    Found in one pass over the 57 controls, without allocating.
*/
class PresetConflicts
{
public:
    /** No conflicts. */
    PresetConflicts() { groupOf.fill (-1); }

    /** The conflicts of a 138-byte preset data block. */
    explicit PresetConflicts (const ByteArray& block);

    /** The controls (indices in KARVELOControlMap's reading order) that send the same message as
        this one; empty when it has no conflict. */
    juce::Array<int> getOthers (int controlIndex) const;

    bool hasConflict (int controlIndex) const noexcept;
    bool isEmpty() const noexcept;
    int getNumConflictingControls() const noexcept;

    bool operator== (const PresetConflicts& other) const noexcept { return groupOf == other.groupOf; }
    bool operator!= (const PresetConflicts& other) const noexcept { return ! operator== (other); }

private:
    /** For each control, the first control (in reading order) that sends the same message, or -1
        when no other control does. */
    std::array<juce::int8, KARVELOControlMap::numControls> groupOf{};
};
