#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The embedded pictures, decoded once and then shared through juce::ImageCache.

    Every picture is also embedded at twice its size, for screens where one pixel of the layout
    covers more than one pixel of the screen (a desktop scale of 2, a zoom above 100 %). The pictures
    handed out here are the ones the layout is made of; draw them with drawAt (or through forContext),
    which draws the larger rendering into the same place where that is sharper. */
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

/** What to draw for a picture in this context: its rendering at twice the size when the context
    has more than one screen pixel to a pixel of the layout (decoded the first time it is asked for,
    then kept), otherwise the picture itself. Images that are not pictures from here come back as
    they are. Draw the result into the area the picture itself would cover. */
juce::Image forContext (juce::Graphics& g, const juce::Image& picture);

/** Draws the whole picture with its top-left corner at (x, y), alpha not filled from the brush. */
void drawAt (juce::Graphics& g, const juce::Image& picture, int x, int y);
} // namespace Pictures
