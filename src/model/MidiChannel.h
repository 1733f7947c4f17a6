#pragma once

/** MIDI channels are stored counted from 0 (as they travel in a MIDI status byte) and shown to the
    user counted from 1. Every conversion between the two goes through here. */
namespace MidiChannel
{
constexpr int firstShown = 1;
constexpr int lastShown = 16;

constexpr int toShown (int stored) noexcept
{
    return stored + 1;
}

constexpr int toStored (int shown) noexcept
{
    return shown - 1;
}
} // namespace MidiChannel
