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

// The pointer moved to a point of a component that is in a window with these buttons down (none: a
// release), the left button pressed there, or clicked, through the window's peer, so that the
// events reach whatever child is under that point, as a real pointer's would. A drag presses at one
// point, moves with the button down and releases at the other. Nothing happens once the window has
// left the desktop.
void moveMouse (juce::Component& component, juce::Point<int> position, juce::ModifierKeys buttons = {});
void click (juce::Component& component, juce::Point<int> position);
void press (juce::Component& component, juce::Point<int> position);
void drag (juce::Component& component, juce::Point<int> from, juce::Point<int> to);

// The mouse wheel turned by a number of notches (up is positive) over a point of a component in a
// window, through the window's peer, as an X11 wheel reports them.
void turnWheel (juce::Component& component, juce::Point<int> position, int notches);

// Key presses as the keyboard sends them; an editor's input filter drops what it does not accept.
void type (juce::TextEditor& editor, const juce::String& text);

// A key pressed on the keyboard of the window the component is in: it goes to the component with
// the keyboard focus and up through its parents and the window's key listeners, and an unused Tab
// moves the focus, as the window system's key events do. False when nothing took it.
bool pressKeyInWindow (juce::Component& component, const juce::KeyPress& key);

// Opens the label's editor, selects and deletes what it holds, types the text and ends the edit
// with the key (Return by default), letting the message loop carry the edit to its end.
void enter (juce::Label& label, const juce::String& text, int key = juce::KeyPress::returnKey);

// How many pixels of the component, painted at its own size, match (all of it, or an area).
int countPixels (juce::Component& component, std::function<bool (juce::Colour)> matches,
                 juce::Rectangle<int> area = {});
const auto isNearWhite = [] (auto c) { return juce::jmin (c.getRed(), c.getGreen(), c.getBlue()) >= 200; };

// A new preset holding the factory block.
KARVELOEditorPreset::Ptr factoryPreset();
} // namespace GuiTestSupport
