#pragma once

#include "KARVELOKnob.h"
#include "KARVELOSwitch.h"
#include "OrvikEditorPreset.h"

/** The Karvelo's preset: 24 knobs, 9 faders and 24 buttons, held as one 138-byte data block.

    Block layout: the knobs' 2-byte slices in index order from offset 0 (knob i is strip i / 3 + 1,
    knob row i % 3 + 1), the faders' 2-byte slices from offset 48 (fader 8 is the master), and the
    buttons' 3-byte slices from offset 66: mute buttons of strips 1 to 8, then record-arm, then solo.
    No header, no checksum. A block is stored whole or not at all.

    Message thread only: the controls' values are shared with the views.
*/
class KARVELOEditorPreset
    : public OrvikEditorPreset
    , public virtual juce::ReferenceCountedObject
{
public:
    using Ptr = juce::ReferenceCountedObjectPtr<KARVELOEditorPreset>;

    static constexpr int numKnobs = 24;
    static constexpr int numFaders = 9;
    static constexpr int numSwitches = 24;

    static constexpr int knobsOffset = 0;
    static constexpr int fadersOffset = knobsOffset + numKnobs * KARVELOKnob::dataSize;
    static constexpr int switchesOffset = fadersOffset + numFaders * KARVELOKnob::dataSize;
    static constexpr int dataSize = switchesOffset + numSwitches * KARVELOSwitch::dataSize;

    static_assert (fadersOffset == 48 && switchesOffset == 66 && dataSize == 138);

    KARVELOEditorPreset();

    /** Hears whole blocks being stored: a reply from the controller, a file, an undo. Edits of
        single parameters through the views are not blocks; they reach the parameters' values. */
    class Listener
    {
    public:
        virtual ~Listener() = default;

        /** Called just before setData stores a valid block, while the preset still holds the old one. */
        virtual void presetDataAboutToChange (KARVELOEditorPreset&) {}

        /** Called once setData has stored a block. */
        virtual void presetDataChanged (KARVELOEditorPreset&) = 0;
    };

    void addListener (Listener* listener) { dataListeners.add (listener); }
    void removeListener (Listener* listener) { dataListeners.remove (listener); }

    /** The knob, fader or switch at index, or an empty reference when the index is out of range. */
    KARVELOKnob::Ptr getKnob (int index) const;
    KARVELOKnob::Ptr getFader (int index) const;
    KARVELOSwitch::Ptr getSwitch (int index) const;

    ByteArray getData() const override;
    bool isValidData (const ByteArray& bytes) const override;
    bool setData (const ByteArray& bytes) override;
    int getDataSize() const override;

private:
    /** Calls visit (control, offset, size) for every control in block order. */
    template <typename Visitor>
    void forEachSlice (Visitor&& visit) const;

    juce::ReferenceCountedArray<KARVELOKnob> knobs;
    juce::ReferenceCountedArray<KARVELOKnob> faders;
    juce::ReferenceCountedArray<KARVELOSwitch> switches;
    juce::ListenerList<Listener> dataListeners;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (KARVELOEditorPreset)
};
