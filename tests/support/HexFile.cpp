#include "HexFile.h"

namespace HexFile
{
juce::File getTestDataFile (const juce::String& name)
{
    return juce::File (KARVELO_TEST_DATA_DIR).getChildFile (name);
}

ByteArray parse (const juce::String& text)
{
    ByteArray bytes;

    for (auto line : juce::StringArray::fromLines (text))
    {
        line = line.upToFirstOccurrenceOf ("#", false, false);

        auto tokens = juce::StringArray::fromTokens (line, " \t,", "");
        tokens.removeEmptyStrings();

        for (auto& token : tokens)
        {
            jassert (token.length() == 2 && token.containsOnly ("0123456789abcdefABCDEF"));
            bytes.add (static_cast<juce::uint8> (token.getHexValue32()));
        }
    }

    return bytes;
}

ByteArray read (const juce::String& name)
{
    const auto file = getTestDataFile (name);
    jassert (file.existsAsFile());
    return parse (file.loadFileAsString());
}

ByteArray randomValidBlock (juce::Random& random)
{
    ByteArray block;

    for (int i = 0; i < 138; ++i)
        block.add (static_cast<juce::uint8> (random.nextInt (i >= 66 && (i - 66) % 3 == 1 ? 2 : 128)));

    return block;
}

ByteArray contentsOf (const juce::File& file)
{
    juce::MemoryBlock data;
    file.loadFileAsData (data);
    return ByteArray (static_cast<const juce::uint8*> (data.getData()), static_cast<int> (data.getSize()));
}

ByteArray factoryBlock()
{
    return ByteArray (read ("factory_preset.hex").begin() + 7, 138);
}
} // namespace HexFile
