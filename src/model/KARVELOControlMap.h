#pragma once

#include "KARVELOEditorPreset.h"

#include <array>
#include <optional>

/** Where each of the Karvelo's 57 controls lives in the preset data block, and what it is called.

    The controls are listed in reading order, as the panel shows them: strip by strip from the
    left, top to bottom within a strip (knob rows 1 to 3, then the mute, solo and record-arm
    buttons, then the fader), and the master fader last. The block keeps its own order (knobs,
    faders, then mute, record-arm and solo buttons); the offsets here translate between the two.
*/
namespace KARVELOControlMap
{
enum class Kind
{
    knob,
    fader,
    button
};

enum class ButtonRow
{
    none,
    mute,
    solo,
    recordArm
};

struct Control
{
    Kind kind;
    int strip;           ///< 1 to 8, or masterStrip for the master fader
    int row;             ///< knob row 1 to 3; 0 for faders and buttons
    ButtonRow buttonRow; ///< which button; none for knobs and faders
    int index;           ///< the control's index among the preset's knobs, faders or switches
    int channelOffset;   ///< offset of its channel byte in the block (counted from 0)
    int typeOffset;      ///< offset of a button's type byte (0 note, 1 controller); -1 otherwise
    int numberOffset;    ///< offset of its controller or note number

    bool isMaster() const noexcept;

    /** "strip 3 knob 2", "strip 5 fader", "master fader", "strip 1 mute button". */
    juce::String getName() const;

    /** The name a sentence starts with: "Strip 3, row 2 knob", "Strip 5 fader", "Master fader",
        "Strip 1 mute button". */
    juce::String getCaption() const;

    /** The short name of the control within its strip: "knob1" to "knob3", "mute", "solo",
        "recarm" or "fader". */
    juce::String getShortName() const;
};

constexpr int numControls =
    KARVELOEditorPreset::numKnobs + KARVELOEditorPreset::numFaders + KARVELOEditorPreset::numSwitches;
constexpr int masterStrip = 9;

/** Every control, in reading order. */
const std::array<Control, numControls>& getControls();

/** The control in a strip (1 to 8, or masterStrip) by its short name; nothing when there is none. */
std::optional<int> find (int strip, const juce::String& shortName);

/** A preset block's message for one control: what the controller sends when it is touched. */
struct Message
{
    int channel; ///< as stored, counted from 0
    bool isNote;
    int number;

    bool operator== (const Message& other) const noexcept
    {
        return channel == other.channel && isNote == other.isNote && number == other.number;
    }
};

/** The message the control sends with this block (a 138-byte preset data block). */
Message messageOf (const Control& control, const ByteArray& block);

/** The controls (indices in reading order) that send this message with this block. */
juce::Array<int> findControlsSending (const ByteArray& block, const Message& message);
} // namespace KARVELOControlMap
