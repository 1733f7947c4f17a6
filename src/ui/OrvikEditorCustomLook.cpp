#include "OrvikEditorCustomLook.h"

float OrvikEditorCustomLook::getTickBoxSize (int buttonHeight)
{
    const auto scaled = 0.75f * static_cast<float> (buttonHeight);
    return scaled < 15.0f ? 1.1f * scaled : 16.5f;
}

void OrvikEditorCustomLook::drawToggleButton (juce::Graphics& g, juce::ToggleButton& button,
                                              bool isMouseOverButton, bool isButtonDown)
{
    const auto height = button.getHeight();
    const auto tickSize = getTickBoxSize (height);

    drawTickBox (g, button, 4.0f, (static_cast<float> (height) - tickSize) * 0.5f, tickSize, tickSize,
                 button.getToggleState(), button.isEnabled(), isMouseOverButton, isButtonDown);

    if (! button.isEnabled())
        g.setOpacity (0.5f);

    const auto textX = static_cast<int> (tickSize) + 5;
    g.drawFittedText (button.getButtonText(), textX, 0, button.getWidth() - textX - 2, height,
                      juce::Justification::centredLeft, 10, 0.7f);
}

void OrvikEditorCustomLook::drawTickBox (juce::Graphics& g, juce::Component&, float x, float y, float w,
                                         float h, bool ticked, bool, bool, bool)
{
    // The box goes where it is asked to be: the text of a toggle button starts right of it.
    g.setColour (juce::Colours::black);
    g.drawRect (x, y, w, h, 1.0f);

    if (ticked)
    {
        g.drawLine (x, y, x + w, y + h, 1.0f);
        g.drawLine (x, y + h, x + w, y, 1.0f);
    }
}

void OrvikEditorCustomLook::drawProgressBar (juce::Graphics& g, juce::ProgressBar& bar, int width, int height,
                                             double progress, const juce::String& textToShow)
{
    g.fillAll (bar.findColour (juce::ProgressBar::backgroundColourId));

    if (progress >= 0.0 && progress <= 1.0)
    {
        const juce::Colour top (49, 177, 249), middle (43, 160, 238), bottom (49, 177, 248);
        juce::ColourGradient gradient (top, 0.0f, 0.0f, middle, 0.0f, static_cast<float> (height), false);
        gradient.addColour (0.0, top);
        gradient.addColour (0.3, middle);
        gradient.addColour (1.0, bottom);
        g.setGradientFill (gradient);

        const auto barWidth = juce::jlimit (0.0, static_cast<double> (width - 2), progress * (width - 2));
        g.fillRect (juce::Rectangle<float> (1.0f, 1.0f, static_cast<float> (barWidth),
                                            static_cast<float> (height - 2)));
    }

    if (textToShow.isNotEmpty())
    {
        g.setColour (juce::Colours::black);
        g.setFont (static_cast<float> (height) * 0.6f);
        g.drawText (textToShow, 0, 0, width, height, juce::Justification::centred, false);
    }
}
