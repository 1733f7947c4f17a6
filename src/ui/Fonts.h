#pragma once

/** The editor's typeface. */
namespace Fonts
{
/** Makes the embedded sans-serif typeface the default one for all text. JUCE otherwise opens every
    font file on the system the first time any text is measured (40 ms at start-up on a machine with
    131 fonts, much more on a desktop with hundreds), and the panel would look different from one
    machine to the next. */
void useEmbeddedTypeface();
} // namespace Fonts
