#pragma once

#include "model/ByteArray.h"

/** Test vectors are hand-written hex files in tests/data: pairs of hex digits separated by white
    space, with '#' starting a comment that runs to the end of the line. */
namespace HexFile
{
inline juce::File getTestDataFile (const juce::String& name)
{
    return juce::File (KARVELO_TEST_DATA_DIR).getChildFile (name);
}

inline ByteArray parse (const juce::String& text)
{
    ByteArray bytes;

    for (auto line : juce::StringArray::fromLines (text))
        for (auto& token :
             juce::StringArray::fromTokens (line.upToFirstOccurrenceOf ("#", false, false), true))
            if (token.isNotEmpty())
            {
                jassert (token.length() == 2 && token.containsOnly ("0123456789abcdefABCDEF"));
                bytes.add (static_cast<juce::uint8> (token.getHexValue32()));
            }

    return bytes;
}

/** The bytes of tests/data/<name>; fails the running test when the file is missing or malformed. */
inline ByteArray read (const juce::String& name)
{
    jassert (getTestDataFile (name).existsAsFile());
    return parse (getTestDataFile (name).loadFileAsString());
}

/** The 138-byte block of the factory preset, from tests/data/factory_preset.hex. */
inline ByteArray factoryBlock()
{
    return ByteArray (read ("factory_preset.hex").begin() + 7, 138);
}

/** A valid 138-byte block of random values: any number or channel byte from 0 to 127, and 0 or 1
    for each button's type byte. */
inline ByteArray randomValidBlock (juce::Random& random)
{
    ByteArray block;

    for (int i = 0; i < 138; ++i)
        block.add (static_cast<juce::uint8> (random.nextInt (i >= 66 && (i - 66) % 3 == 1 ? 2 : 128)));

    return block;
}

/** Every byte of a file (none when it cannot be read). */
inline ByteArray contentsOf (const juce::File& file)
{
    juce::MemoryBlock data;
    file.loadFileAsData (data);
    return ByteArray (static_cast<const juce::uint8*> (data.getData()), static_cast<int> (data.getSize()));
}
} // namespace HexFile
