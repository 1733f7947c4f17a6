#include "GuiTestSupport.h"

namespace GuiTestSupport
{
HostWindow::HostWindow (juce::Component& content)
    : juce::DocumentWindow ("Test window", juce::Colours::black, juce::DocumentWindow::closeButton, true)
{
    setUsingNativeTitleBar (true);
    setContentNonOwned (&content, true);
    setTopLeftPosition (40, 40);
    setVisible (true);
    toFront (true);
}

HostWindow::~HostWindow()
{
    clearContentComponent();
}

namespace
{
void sendMouse (juce::Component& component, juce::Point<int> position, bool down)
{
    auto* peer = component.getPeer();

    if (peer == nullptr)
        return; // the window has gone from the desktop: nothing receives the event

    const auto inPeer = peer->getComponent().getLocalPoint (&component, position).toFloat();
    const auto modifiers =
        down ? juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier) : juce::ModifierKeys();

    peer->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, inPeer, modifiers,
                            juce::MouseInputSource::defaultPressure,
                            juce::MouseInputSource::defaultOrientation, juce::Time::currentTimeMillis());
}
} // namespace

void press (juce::Component& component, juce::Point<int> position)
{
    sendMouse (component, position, false); // move there first, as a real pointer would
    sendMouse (component, position, true);
}

void release (juce::Component& component, juce::Point<int> position)
{
    sendMouse (component, position, false);
}

void click (juce::Component& component, juce::Point<int> position)
{
    press (component, position);
    release (component, position);
}

void type (juce::TextEditor& editor, const juce::String& text)
{
    for (auto character : text)
        editor.keyPressed (juce::KeyPress (static_cast<int> (character), juce::ModifierKeys(), character));
}

void pressKey (juce::Component& component, const juce::KeyPress& key)
{
    component.keyPressed (key);
}

juce::Image snapshot (juce::Component& component)
{
    return component.createComponentSnapshot (component.getLocalBounds(), true, 1.0f);
}

int countNearWhitePixels (const juce::Image& image, juce::Rectangle<int> area)
{
    int count = 0;
    const juce::Image::BitmapData pixels (image, juce::Image::BitmapData::readOnly);

    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
        {
            const auto colour = pixels.getPixelColour (x, y);

            if (colour.getRed() >= 200 && colour.getGreen() >= 200 && colour.getBlue() >= 200)
                ++count;
        }

    return count;
}
} // namespace GuiTestSupport
