#pragma once

#include <juce_core/juce_core.h>

#include <ostream>

// Lets GoogleTest print byte arrays as hex and strings as text when an expectation fails. Every
// test file sees these definitions (the test targets include this header first), so that each
// instantiation of GoogleTest's printers picks them up.
namespace juce
{
inline void PrintTo (const Array<uint8>& bytes, std::ostream* stream)
{
    *stream << "[" << bytes.size() << " bytes:";

    for (auto byte : bytes)
        *stream << ' ' << String::toHexString (static_cast<int> (byte)).paddedLeft ('0', 2);

    *stream << "]";
}

inline void PrintTo (const String& text, std::ostream* stream)
{
    *stream << '"' << text.toStdString() << '"';
}
} // namespace juce
