#pragma once

#include "model/ByteArray.h"

/** Test vectors are hand-written hex files in tests/data: pairs of hex digits separated by white
    space, with '#' starting a comment that runs to the end of the line. */
namespace HexFile
{
juce::File getTestDataFile (const juce::String& name);

/** The bytes of tests/data/<name>; fails the running test when the file is missing or malformed. */
ByteArray read (const juce::String& name);

ByteArray parse (const juce::String& text);

/** The 138-byte block of the factory preset, from tests/data/factory_preset.hex. */
ByteArray factoryBlock();

/** A valid 138-byte block of random values: any number or channel byte from 0 to 127, and 0 or 1
    for each button's type byte. */
ByteArray randomValidBlock (juce::Random& random);

/** Every byte of a file (none when it cannot be read). */
ByteArray contentsOf (const juce::File& file);
} // namespace HexFile
