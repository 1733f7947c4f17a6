#pragma once

#include "ControlNumberBoxes.h"
#include "model/KARVELOEditorPreset.h"
#include "model/PresetConflicts.h"

#include <functional>

/** Keeps the boxes of controls that send the same message marked, whatever changed the preset: an
    entry in a box, a type toggled, a whole block stored (a reply from the controller, a file, an
    undo).

    Every parameter value of the preset is watched; the stores of one change (a block stores all
    138 bytes) are checked once, on the next turn of the message loop, in one pass over the 57
    controls. Only the boxes whose marks change are touched. The same pass keeps a table of which
    controls send which message, for messages arriving from the controller.

    Message thread only.
*/
class ConflictMarks
    : private juce::Value::Listener
    , private KARVELOEditorPreset::Listener
    , private juce::AsyncUpdater
{
public:
    /** The two boxes of a control, by its index in KARVELOControlMap's reading order. */
    using BoxesOf = std::function<ControlNumberBoxes&(int controlIndex)>;

    /** Checks the preset at once and marks the boxes. */
    ConflictMarks (KARVELOEditorPreset::Ptr preset, BoxesOf boxesOf);
    ~ConflictMarks() override;

    /** The conflicts the boxes show. */
    const PresetConflicts& getConflicts() const noexcept { return shown; }

    /** Whether a change has been heard and not checked yet: at once after a block was stored, on
        the next turn of the message loop after a single parameter was. */
    bool isCheckPending() const noexcept { return isUpdatePending(); }

    /** Checks a change heard at once rather than on the next turn of the message loop. */
    void checkNow() { handleUpdateNowIfNeeded(); }

    /** The controls (reading order) that send this message, as of the last check. */
    juce::Array<int> findControlsSending (const KARVELOControlMap::Message& message) const;

private:
    void valueChanged (juce::Value&) override;
    void presetDataChanged (KARVELOEditorPreset&) override;
    void handleAsyncUpdate() override;
    void check();

    KARVELOEditorPreset::Ptr preset;
    BoxesOf boxesOf;
    juce::OwnedArray<juce::Value> watchedValues; // a Value moved in an array would lose its listener
    PresetConflicts shown;
    bool checked = false; // until the first check, shown is not what the boxes show

    /** Every control's message as one number (channel, note or controller, number), sorted. */
    std::array<std::pair<juce::uint32, int>, KARVELOControlMap::numControls> sending{};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConflictMarks)
};
