#pragma once

#include <juce_core/juce_core.h>

/** Every byte sequence of the editor: preset data blocks, control slices, system-exclusive
    messages and file images. */
using ByteArray = juce::Array<juce::uint8>;
