#include "CommandLine.h"

#include "ui/ProductInfo.h"

namespace CommandLine
{
namespace
{
constexpr const char* fileScheme = "file://";

// %xx escapes become bytes, read as UTF-8 once all are replaced; a '+' stays a '+' (that rule
// belongs to form data, not to paths). A malformed escape is kept as it is.
juce::String decodePercentEscapes (const juce::String& text)
{
    juce::MemoryOutputStream bytes;
    const auto* utf8 = text.toRawUTF8();
    const auto length = std::strlen (utf8);

    for (size_t i = 0; i < length; ++i)
    {
        const auto high =
            i + 2 < length ? juce::CharacterFunctions::getHexDigitValue ((juce::juce_wchar) utf8[i + 1]) : -1;
        const auto low =
            i + 2 < length ? juce::CharacterFunctions::getHexDigitValue ((juce::juce_wchar) utf8[i + 2]) : -1;

        if (utf8[i] == '%' && high >= 0 && low >= 0)
        {
            bytes.writeByte (static_cast<char> (high * 16 + low));
            i += 2;
        }
        else
        {
            bytes.writeByte (utf8[i]);
        }
    }

    return juce::String::fromUTF8 (static_cast<const char*> (bytes.getData()),
                                   static_cast<int> (bytes.getDataSize()));
}

// The path of a file:// address on this machine (no host, or "localhost"), or nothing.
std::optional<juce::String> localPathOf (const juce::String& address)
{
    if (! address.startsWithIgnoreCase (fileScheme))
        return std::nullopt;

    auto rest = address.substring (juce::String (fileScheme).length());
    const auto pathStart = rest.indexOfChar ('/');
    const auto host = pathStart < 0 ? rest : rest.substring (0, pathStart);

    if (pathStart < 0 || (host.isNotEmpty() && ! host.equalsIgnoreCase ("localhost")))
        return std::nullopt;

    // A query or a fragment is no part of the path; a name holding '?' or '#' has them escaped.
    rest = rest.substring (pathStart)
               .upToFirstOccurrenceOf ("?", false, false)
               .upToFirstOccurrenceOf ("#", false, false);
    return decodePercentEscapes (rest);
}
} // namespace

juce::File toFile (const juce::String& argument)
{
    const auto path = localPathOf (argument).value_or (argument);

    if (path.startsWithChar ('/'))
        return juce::File (path);

    // Not File::getChildFile: that would take a leading "~" for the home folder, which the shell
    // has already expanded when the user meant it.
    return juce::File (juce::File::getCurrentWorkingDirectory().getFullPathName() + "/" + path);
}

juce::Array<juce::File> getPresetFiles (const juce::StringArray& arguments)
{
    juce::Array<juce::File> files;

    for (const auto& argument : arguments)
        if (argument.isNotEmpty() && ! argument.startsWithChar ('-'))
            files.add (toFile (argument));

    return files;
}

std::optional<juce::String> getAnswerWithoutStarting (const juce::StringArray& arguments,
                                                      const juce::String& programName)
{
    for (const auto& argument : arguments)
    {
        if (argument == "--version")
            return juce::String (ProductInfo::name) + " " + ProductInfo::version + "\n";

        if (argument == "--help")
            return "Usage: " + programName + " [PRESET FILE]...\n"
                   + "Edits presets of the Karvelo controller. Each preset file named (a path or a\n"
                     "file:// address) opens in a window of its own; with none, a window opens on\n"
                     "the factory preset.\n"
                     "\n"
                     "  --help     print this text and exit\n"
                     "  --version  print the version and exit\n";
    }

    return std::nullopt;
}
} // namespace CommandLine
