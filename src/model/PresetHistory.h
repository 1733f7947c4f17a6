#pragma once

#include "KARVELOEditorPreset.h"

#include <juce_data_structures/juce_data_structures.h>

#include <functional>

/** The undo history of one window's preset, and whether the preset differs from what was last
    saved or loaded.

    Every change of the preset becomes one undoable step, whoever made it:
    - an entry accepted in a box (a store into one parameter's value), named after what it set:
      "CC of strip 3 knob 2", "Channel of strip 1 mute button", "Type of strip 1 mute button";
    - a whole block stored from outside (a reply from the controller), named "Load From Hardware";
    - a change made through perform(), under the name given there (the batch commands).
    A block that leaves the preset as it was is no step.

    Parameter values tell their listeners asynchronously, so an entry becomes a step a turn or two
    of the message loop later; a block stored meanwhile first closes that step. The notices of one
    turn (a block stored changes every value) make one look at the preset. Message thread only.
*/
class PresetHistory
    : private KARVELOEditorPreset::Listener
    , private juce::Value::Listener
    , private juce::AsyncUpdater
{
public:
    explicit PresetHistory (KARVELOEditorPreset::Ptr preset);
    ~PresetHistory() override;

    static constexpr const char* loadFromHardwareStep = "Load From Hardware";

    /** Stores the block into the preset as one step with this name. Returns false, changing
        nothing, when the preset refuses the block. */
    bool perform (const juce::String& stepName, const ByteArray& block);

    bool undo();
    bool redo();
    bool canUndo() const;
    bool canRedo() const;

    /** The names of the steps that undo and redo would take back or make again; empty when there
        is none. */
    juce::String getUndoName() const;
    juce::String getRedoName() const;

    /** Forgets every step and takes the preset as it is now as saved: after a file was opened into
        the window. */
    void reset();

    /** The preset as it is now was written to, or read from, its file. */
    void markSaved();

    /** Whether the preset differs from the block last marked as saved. */
    bool hasUnsavedEdits() const;

    /** Called after every step made, undone or redone, and after reset and markSaved. */
    std::function<void()> onChange;

    /** Records an entry that has not been heard of yet; normally the next turn of the message loop
        does. */
    void recordPendingEdits();

private:
    class BlockChange;

    void presetDataAboutToChange (KARVELOEditorPreset&) override;
    void presetDataChanged (KARVELOEditorPreset&) override;
    void valueChanged (juce::Value&) override;
    void handleAsyncUpdate() override;

    void addStep (const juce::String& name, const ByteArray& before, const ByteArray& after);
    void apply (const ByteArray& block);
    void changed();
    juce::String describeChange (const ByteArray& before, const ByteArray& after) const;

    KARVELOEditorPreset::Ptr preset;
    juce::UndoManager undoManager;
    juce::OwnedArray<juce::Value> watchedValues; // one per parameter: a moved Value loses its listeners
    ByteArray lastKnown, saved;
    bool applying = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PresetHistory)
};
