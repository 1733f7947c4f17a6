#include "GuiTestSupport.h"

#include "HexFile.h"
#include "MessageLoop.h"

GuiTestSupport::HostWindow::HostWindow (juce::Component& content)
    : juce::DocumentWindow ("Test window", juce::Colours::black, closeButton, true)
{
    setUsingNativeTitleBar (true);
    setContentNonOwned (&content, true);
    setTopLeftPosition (40, 40);
    setVisible (true);
    toFront (true);
}

static void sendMouse (juce::Component& component, juce::Point<int> position, juce::ModifierKeys buttons)
{
    if (auto* peer = component.getPeer())
        peer->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse,
                                peer->getComponent().getLocalPoint (&component, position).toFloat(), buttons,
                                juce::MouseInputSource::defaultPressure,
                                juce::MouseInputSource::defaultOrientation, juce::Time::currentTimeMillis());
}

void GuiTestSupport::press (juce::Component& component, juce::Point<int> position)
{
    release (component, position); // moves there first, as a real pointer would
    sendMouse (component, position, juce::ModifierKeys::leftButtonModifier);
}

void GuiTestSupport::release (juce::Component& component, juce::Point<int> position)
{
    sendMouse (component, position, {});
}

void GuiTestSupport::click (juce::Component& component, juce::Point<int> position)
{
    press (component, position);
    release (component, position);
}

void GuiTestSupport::drag (juce::Component& component, juce::Point<int> from, juce::Point<int> to)
{
    press (component, from);

    for (int i = 1; i <= 4; ++i)
        sendMouse (component, from + (to - from) * i / 4, juce::ModifierKeys::leftButtonModifier);

    release (component, to);
}

void GuiTestSupport::turnWheel (juce::Component& component, juce::Point<int> position, int notches)
{
    release (component, position);

    if (auto* peer = component.getPeer())
    {
        for (int i = 0; i < std::abs (notches); ++i)
        {
            juce::MouseWheelDetails wheel{};
            wheel.deltaY = (notches > 0 ? 50.0f : -50.0f) / 256.0f;
            peer->handleMouseWheel (juce::MouseInputSource::InputSourceType::mouse,
                                    peer->getComponent().getLocalPoint (&component, position).toFloat(),
                                    juce::Time::currentTimeMillis(), wheel);
        }
    }
}

void GuiTestSupport::pressKeyInWindow (juce::Component& component, const juce::KeyPress& key)
{
    if (auto* peer = component.getPeer())
        peer->handleKeyPress (key);
}

void GuiTestSupport::type (juce::TextEditor& editor, const juce::String& text)
{
    for (auto character : text)
        editor.keyPressed (juce::KeyPress (static_cast<int> (character), {}, character));
}

void GuiTestSupport::pressKey (juce::Component& component, const juce::KeyPress& key)
{
    component.keyPressed (key);
}

void GuiTestSupport::enter (juce::Label& label, const juce::String& text, int key)
{
    label.showEditor();
    auto& editor = *label.getCurrentTextEditor();
    editor.selectAll();
    pressKey (editor, juce::KeyPress (juce::KeyPress::deleteKey));
    type (editor, text);
    pressKey (editor, juce::KeyPress (key));
    MessageLoop::runUntil ([&] { return label.getCurrentTextEditor() == nullptr; });
    MessageLoop::drain();
}

juce::Image GuiTestSupport::snapshot (juce::Component& component)
{
    return component.createComponentSnapshot (component.getLocalBounds(), true, 1.0f);
}

int GuiTestSupport::countPixels (const juce::Image& image, juce::Rectangle<int> area,
                                 std::function<bool (juce::Colour)> matches)
{
    int count = 0;

    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            count += matches (image.getPixelAt (x, y)) ? 1 : 0;

    return count;
}

int GuiTestSupport::countNearWhitePixels (const juce::Image& image, juce::Rectangle<int> area)
{
    return countPixels (image, area,
                        [] (juce::Colour c)
                        { return juce::jmin (c.getRed(), c.getGreen(), c.getBlue()) >= 200; });
}

KARVELOEditorPreset::Ptr GuiTestSupport::factoryPreset()
{
    KARVELOEditorPreset::Ptr preset (new KARVELOEditorPreset());
    preset->setData (HexFile::factoryBlock());
    return preset;
}
