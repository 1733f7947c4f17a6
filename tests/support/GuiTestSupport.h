#pragma once

#include "model/KARVELOEditorPreset.h"

#include <juce_gui_basics/juce_gui_basics.h>

// Helpers for tests that drive real components under Xvfb.
namespace GuiTestSupport
{
// A window on the desktop holding a component, so that focus, keystrokes and mouse events work as
// they do for a user.
class HostWindow : public juce::DocumentWindow
{
public:
    explicit HostWindow (juce::Component& content);
    ~HostWindow() override { clearContentComponent(); }
    void closeButtonPressed() override {}
};

// The left button pressed and/or released at a point of a component that is in a window, through
// the window's peer, so that the events reach whatever child is under that point, as a real
// pointer's would. Nothing happens once the window has left the desktop.
void click (juce::Component& component, juce::Point<int> position);
void press (juce::Component& component, juce::Point<int> position);
void release (juce::Component& component, juce::Point<int> position);

// The left button pressed at one point of a component in a window, moved with the button down to
// another and released there, through the window's peer.
void drag (juce::Component& component, juce::Point<int> from, juce::Point<int> to);

// The mouse wheel turned by a number of notches (up is positive) over a point of a component in a
// window, through the window's peer, as an X11 wheel reports them.
void turnWheel (juce::Component& component, juce::Point<int> position, int notches);

// Key presses as the keyboard sends them; an editor's input filter drops what it does not accept.
void type (juce::TextEditor& editor, const juce::String& text);
void pressKey (juce::Component& component, const juce::KeyPress& key);

// A key pressed on the keyboard of the window the component is in: it goes to the component with
// the keyboard focus and up through its parents and the window's key listeners, and an unused Tab
// moves the focus, as the window system's key events do.
void pressKeyInWindow (juce::Component& component, const juce::KeyPress& key);

// Opens the label's editor, selects and deletes what it holds, types the text and ends the edit
// with the key (Return by default), letting the message loop carry the edit to its end.
void enter (juce::Label& label, const juce::String& text, int key = juce::KeyPress::returnKey);

// The component painted into an image at its own size; how many pixels of an area of an image match,
// and how many are near white (each channel >= 200).
juce::Image snapshot (juce::Component& component);
int countPixels (const juce::Image& image, juce::Rectangle<int> area,
                 std::function<bool (juce::Colour)> matches);
int countNearWhitePixels (const juce::Image& image, juce::Rectangle<int> area);

// A new preset holding the factory block.
KARVELOEditorPreset::Ptr factoryPreset();
} // namespace GuiTestSupport
