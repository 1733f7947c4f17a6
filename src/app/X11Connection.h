#pragma once

#include <juce_core/juce_core.h>

#include <optional>

/** The editor's own look at the X display, beside JUCE's. JUCE opens the display itself, but when it
    cannot it goes on without one (asserting and idling with no window), and when the connection
    breaks Xlib ends the process with no chance to keep anything. On other systems these do nothing.
*/
namespace X11Connection
{
/** Opens the display named by DISPLAY and keeps that connection; when that fails, the one line that
    says so. */
std::optional<juce::String> findWhyDisplayCannotOpen();

/** From now on a broken connection to the X server calls this (on the thread that found the break,
    inside Xlib) and then ends the process with status 1. Call once JUCE has its window system up:
    this replaces JUCE's handler, which would only stop the message loop. */
void whenConnectionIsLost (void (*lastWords)());
} // namespace X11Connection
