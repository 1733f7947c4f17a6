#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Helpers for tests that drive real components under Xvfb. */
namespace GuiTestSupport
{
/** A window on the desktop holding a component, so that focus, keystrokes and mouse events work as
    they do for a user. */
class HostWindow : public juce::DocumentWindow
{
public:
    explicit HostWindow (juce::Component& content);
    ~HostWindow() override;
    void closeButtonPressed() override {}
};

/** Presses and releases the left button at a point of the component, through its window's peer,
    so the event is routed to whatever child is under that point, as a real click would be. The
    component must be on the desktop (in a window). */
void click (juce::Component& component, juce::Point<int> position);

/** Presses the left button at a point without releasing it. */
void press (juce::Component& component, juce::Point<int> position);

/** Releases the left button at a point. */
void release (juce::Component& component, juce::Point<int> position);

/** Types each character of the text into the editor as key presses; the editor's input filter
    drops what it does not accept, as for a user. */
void type (juce::TextEditor& editor, const juce::String& text);

/** Sends one key press to the component, as the keyboard would. */
void pressKey (juce::Component& component, const juce::KeyPress& key);

/** The component painted into an image at its own size. */
juce::Image snapshot (juce::Component& component);

/** Counts the pixels of the area that are near white (each channel >= 200). */
int countNearWhitePixels (const juce::Image& image, juce::Rectangle<int> area);
} // namespace GuiTestSupport
