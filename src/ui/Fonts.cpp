#include "Fonts.h"

#include "KarveloResources.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace Fonts
{
void useEmbeddedTypeface()
{
    juce::LookAndFeel::getDefaultLookAndFeel().setDefaultSansSerifTypeface (
        juce::Typeface::createSystemTypefaceFor (
            KarveloResources::DejaVuSansLatin_ttf,
            static_cast<size_t> (KarveloResources::DejaVuSansLatin_ttfSize)));
}
} // namespace Fonts
