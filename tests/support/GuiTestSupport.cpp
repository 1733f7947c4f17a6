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

void GuiTestSupport::moveMouse (juce::Component& component, juce::Point<int> position,
                                juce::ModifierKeys buttons)
{
    if (auto* peer = component.getPeer())
        peer->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse,
                                peer->getComponent().getLocalPoint (&component, position).toFloat(), buttons,
                                juce::MouseInputSource::defaultPressure,
                                juce::MouseInputSource::defaultOrientation, juce::Time::currentTimeMillis());
}

void GuiTestSupport::press (juce::Component& component, juce::Point<int> position)
{
    moveMouse (component, position); // moves there first, as a real pointer would
    moveMouse (component, position, juce::ModifierKeys::leftButtonModifier);
}

void GuiTestSupport::click (juce::Component& component, juce::Point<int> position)
{
    press (component, position);
    moveMouse (component, position);
}

void GuiTestSupport::drag (juce::Component& component, juce::Point<int> from, juce::Point<int> to)
{
    press (component, from);
    moveMouse (component, to, juce::ModifierKeys::leftButtonModifier);
    moveMouse (component, to);
}

void GuiTestSupport::turnWheel (juce::Component& component, juce::Point<int> position, int notches)
{
    moveMouse (component, position);
    const juce::MouseWheelDetails wheel{ 0.0f, (notches > 0 ? 50.0f : -50.0f) / 256.0f, false, false, false };

    for (int i = 0; i < std::abs (notches); ++i)
        if (auto* peer = component.getPeer())
            peer->handleMouseWheel (juce::MouseInputSource::InputSourceType::mouse,
                                    peer->getComponent().getLocalPoint (&component, position).toFloat(),
                                    juce::Time::currentTimeMillis(), wheel);
}

bool GuiTestSupport::pressKeyInWindow (juce::Component& component, const juce::KeyPress& key)
{
    auto* peer = component.getPeer();
    return peer != nullptr && peer->handleKeyPress (key);
}

void GuiTestSupport::type (juce::TextEditor& editor, const juce::String& text)
{
    for (auto character : text)
        editor.keyPressed (juce::KeyPress (static_cast<int> (character), {}, character));
}

void GuiTestSupport::enter (juce::Label& label, const juce::String& text, int key)
{
    label.showEditor();
    auto& editor = *label.getCurrentTextEditor();
    editor.selectAll();
    editor.keyPressed (juce::KeyPress (juce::KeyPress::deleteKey));
    type (editor, text);
    editor.keyPressed (juce::KeyPress (key));
    MessageLoop::drain();
}

int GuiTestSupport::countPixels (juce::Component& component, std::function<bool (juce::Colour)> matches,
                                 juce::Rectangle<int> area)
{
    const auto image = component.createComponentSnapshot (component.getLocalBounds());
    int count = 0;

    for (auto y = area.getY(); y < (area.isEmpty() ? image.getHeight() : area.getBottom()); ++y)
        for (auto x = area.getX(); x < (area.isEmpty() ? image.getWidth() : area.getRight()); ++x)
            count += matches (image.getPixelAt (x, y)) ? 1 : 0;

    return count;
}

KARVELOEditorPreset::Ptr GuiTestSupport::factoryPreset()
{
    KARVELOEditorPreset::Ptr preset (new KARVELOEditorPreset());
    preset->setData (HexFile::factoryBlock());
    return preset;
}
