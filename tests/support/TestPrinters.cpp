#include "TestPrinters.h"

namespace juce
{
void PrintTo (const Array<uint8>& bytes, std::ostream* stream)
{
    *stream << "[" << bytes.size() << " bytes:";

    for (auto byte : bytes)
        *stream << ' ' << String::toHexString (static_cast<int> (byte)).paddedLeft ('0', 2);

    *stream << "]";
}

void PrintTo (const String& text, std::ostream* stream)
{
    *stream << '"' << text.toStdString() << '"';
}
} // namespace juce
