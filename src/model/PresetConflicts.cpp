#include "PresetConflicts.h"

namespace
{
/** A message as one number: channel (7 bits), note or controller, number (7 bits). */
juce::uint32 keyOf (const KARVELOControlMap::Message& message)
{
    return static_cast<juce::uint32> ((message.channel << 8) | (message.isNote ? 0x80 : 0) | message.number);
}
} // namespace

PresetConflicts::PresetConflicts (const ByteArray& block)
{
    using namespace KARVELOControlMap;
    groupOf.fill (-1);

    // An open-addressed table twice the number of controls: each control finds the first control
    // with its key, or an empty slot, in a step or two.
    constexpr int tableSize = 128;
    static_assert (tableSize >= 2 * numControls);
    std::array<juce::uint32, tableSize> keys;
    std::array<int, tableSize> firsts;
    firsts.fill (-1);

    const auto& controls = getControls();

    for (int i = 0; i < numControls; ++i)
    {
        const auto key = keyOf (messageOf (controls[(size_t) i], block));
        auto slot = static_cast<size_t> ((key * 2654435761u) >> 25);

        while (firsts[slot] >= 0 && keys[slot] != key)
            slot = (slot + 1) & (tableSize - 1);

        if (firsts[slot] < 0)
        {
            keys[slot] = key;
            firsts[slot] = i;
        }
        else
        {
            groupOf[(size_t) firsts[slot]] = static_cast<juce::int8> (firsts[slot]);
            groupOf[(size_t) i] = static_cast<juce::int8> (firsts[slot]);
        }
    }
}

juce::Array<int> PresetConflicts::getOthers (int controlIndex) const
{
    juce::Array<int> others;

    if (! hasConflict (controlIndex))
        return others;

    for (int i = 0; i < KARVELOControlMap::numControls; ++i)
        if (i != controlIndex && groupOf[(size_t) i] == groupOf[(size_t) controlIndex])
            others.add (i);

    return others;
}

bool PresetConflicts::hasConflict (int controlIndex) const noexcept
{
    return juce::isPositiveAndBelow (controlIndex, KARVELOControlMap::numControls)
           && groupOf[(size_t) controlIndex] >= 0;
}

bool PresetConflicts::isEmpty() const noexcept
{
    return getNumConflictingControls() == 0;
}

int PresetConflicts::getNumConflictingControls() const noexcept
{
    return static_cast<int> (std::count_if (groupOf.begin(), groupOf.end(), [] (auto g) { return g >= 0; }));
}
