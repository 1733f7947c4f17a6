#include "ConflictMarks.h"

namespace
{
juce::uint32 keyOf (const KARVELOControlMap::Message& message)
{
    return static_cast<juce::uint32> ((message.channel << 8) | (message.isNote ? 0x80 : 0) | message.number);
}
} // namespace

ConflictMarks::ConflictMarks (KARVELOEditorPreset::Ptr presetToWatch, BoxesOf boxes)
    : preset (std::move (presetToWatch))
    , boxesOf (std::move (boxes))
{
    const auto watch = [this] (const MEditorControl& control, const juce::StringArray& names)
    {
        for (auto& name : names)
        {
            auto* value = watchedValues.add (new juce::Value (control.getParameterValue (name)));
            value->addListener (this);
        }
    };

    const juce::StringArray knobParameters{ ParameterNames::midiChannel, ParameterNames::cc },
        switchParameters{ ParameterNames::midiChannel, ParameterNames::type, ParameterNames::cc };

    for (int i = 0; i < KARVELOEditorPreset::numKnobs; ++i)
        watch (*preset->getKnob (i), knobParameters);

    for (int i = 0; i < KARVELOEditorPreset::numFaders; ++i)
        watch (*preset->getFader (i), knobParameters);

    for (int i = 0; i < KARVELOEditorPreset::numSwitches; ++i)
        watch (*preset->getSwitch (i), switchParameters);

    preset->addListener (this);
    check();
}

ConflictMarks::~ConflictMarks()
{
    cancelPendingUpdate();
    preset->removeListener (this);

    for (auto* value : watchedValues)
        value->removeListener (this);
}

juce::Array<int> ConflictMarks::findControlsSending (const KARVELOControlMap::Message& message) const
{
    const auto key = keyOf (message);
    auto found = std::lower_bound (sending.begin(), sending.end(), std::pair (key, 0));
    juce::Array<int> controls;

    for (; found != sending.end() && found->first == key; ++found)
        controls.add (found->second);

    return controls;
}

void ConflictMarks::valueChanged (juce::Value&)
{
    triggerAsyncUpdate();
}

void ConflictMarks::presetDataChanged (KARVELOEditorPreset&)
{
    triggerAsyncUpdate();
}

void ConflictMarks::handleAsyncUpdate()
{
    check();
}

void ConflictMarks::check()
{
    using namespace KARVELOControlMap;
    const auto block = preset->getData();
    const PresetConflicts found (block);
    const auto& controls = getControls();

    for (int i = 0; i < numControls; ++i)
        sending[(size_t) i] = { keyOf (messageOf (controls[(size_t) i], block)), i };

    std::sort (sending.begin(), sending.end());

    if (checked && found == shown)
        return;

    for (int i = 0; i < numControls; ++i)
    {
        if (checked && ! found.hasConflict (i) && ! shown.hasConflict (i))
            continue;

        juce::StringArray others;

        for (auto other : found.getOthers (i))
            others.add (controls[(size_t) other].getName());

        boxesOf (i).showConflictWith (others);
    }

    shown = found;
    checked = true;
}
