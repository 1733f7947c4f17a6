#pragma once

#include <juce_core/juce_core.h>

#include <ostream>

// Lets GoogleTest print byte arrays as hex and strings as text when an expectation fails. Every
// test file sees these declarations (the test targets include this header first), so that each
// instantiation of GoogleTest's printers picks them up.
namespace juce
{
void PrintTo (const Array<uint8>& bytes, std::ostream* stream);
void PrintTo (const String& text, std::ostream* stream);
} // namespace juce
