#include "KARVELOEditorPreset.h"

#include "ListenerCalls.h"

KARVELOEditorPreset::KARVELOEditorPreset()
{
    for (int i = 0; i < numKnobs; ++i)
        knobs.add (new KARVELOKnob());

    for (int i = 0; i < numFaders; ++i)
        faders.add (new KARVELOKnob());

    for (int i = 0; i < numSwitches; ++i)
        switches.add (new KARVELOSwitch());
}

KARVELOKnob::Ptr KARVELOEditorPreset::getKnob (int index) const
{
    return knobs[index];
}

KARVELOKnob::Ptr KARVELOEditorPreset::getFader (int index) const
{
    return faders[index];
}

KARVELOSwitch::Ptr KARVELOEditorPreset::getSwitch (int index) const
{
    return switches[index];
}

template <typename Visitor>
void KARVELOEditorPreset::forEachSlice (Visitor&& visit) const
{
    for (int i = 0; i < numKnobs; ++i)
        visit (*knobs.getObjectPointerUnchecked (i), knobsOffset + i * KARVELOKnob::dataSize,
               KARVELOKnob::dataSize);

    for (int i = 0; i < numFaders; ++i)
        visit (*faders.getObjectPointerUnchecked (i), fadersOffset + i * KARVELOKnob::dataSize,
               KARVELOKnob::dataSize);

    for (int i = 0; i < numSwitches; ++i)
        visit (*switches.getObjectPointerUnchecked (i), switchesOffset + i * KARVELOSwitch::dataSize,
               KARVELOSwitch::dataSize);
}

ByteArray KARVELOEditorPreset::getData() const
{
    ByteArray block;
    block.ensureStorageAllocated (dataSize);

    forEachSlice ([&block] (MEditorControl& control, int, int) { block.addArray (control.getData()); });

    return block;
}

bool KARVELOEditorPreset::isValidData (const ByteArray& bytes) const
{
    if (bytes.size() != dataSize)
        return false;

    bool valid = true;

    forEachSlice (
        [&] (MEditorControl& control, int offset, int size)
        {
            ByteArray slice (bytes.begin() + offset, size);
            valid = control.isValidData (slice) && valid;
        });

    return valid;
}

bool KARVELOEditorPreset::setData (const ByteArray& bytes)
{
    if (! isValidData (bytes))
        return false;

    callListeners (dataListeners, [this] (Listener& l) { l.presetDataAboutToChange (*this); });

    forEachSlice ([&bytes] (MEditorControl& control, int offset, int size)
                  { control.setData (ByteArray (bytes.begin() + offset, size)); });

    callListeners (dataListeners, [this] (Listener& l) { l.presetDataChanged (*this); });

    return true;
}

int KARVELOEditorPreset::getDataSize() const
{
    return dataSize;
}
