#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The embedded pictures, decoded once and then shared through juce::ImageCache. */
namespace Pictures
{
/** Starts decoding the large picture of the controller on a thread of its own; call from the
    message thread as early as possible. */
void startDecoding();

/** Message thread only. */
juce::Image hardwareBackground();
juce::Image switchOn();
juce::Image switchOff();
juce::Image aboutBackground();
juce::Image setupBackground();
juce::Image midiSetupTitle();
juce::Image applyNormal();
juce::Image applyOver();
juce::Image applyDown();
juce::Image okNormal();
juce::Image okOver();
juce::Image okDown();
juce::Image cancelNormal();
juce::Image cancelOver();
juce::Image cancelDown();
} // namespace Pictures
