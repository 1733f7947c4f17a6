#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The main panel's look: JUCE's V3 look with plain black tick boxes (a cross when ticked), toggle
    buttons built on them, and a blue gradient progress bar. */
class OrvikEditorCustomLook : public juce::LookAndFeel_V3
{
public:
    void drawToggleButton (juce::Graphics& g, juce::ToggleButton& button, bool isMouseOverButton,
                           bool isButtonDown) override;

    void drawTickBox (juce::Graphics& g, juce::Component& component, float x, float y, float w, float h,
                      bool ticked, bool isEnabled, bool isMouseOverButton, bool isButtonDown) override;

    void drawProgressBar (juce::Graphics& g, juce::ProgressBar& bar, int width, int height, double progress,
                          const juce::String& textToShow) override;

    /** Side of the tick box for a toggle button of this height. */
    static float getTickBoxSize (int buttonHeight);
};
