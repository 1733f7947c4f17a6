#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The look of the MIDI Setup panel: flat rounded scroll bars without buttons, flat combo boxes, and
    picture buttons drawn from their larger rendering where the screen has the pixels for it. */
class CustomLookForAuxiliaryWindows : public juce::LookAndFeel_V3
{
public:
    void drawScrollbar (juce::Graphics& g, juce::ScrollBar& scrollBar, int x, int y, int width, int height,
                        bool isScrollbarVertical, int thumbStartPosition, int thumbSize, bool isMouseOver,
                        bool isMouseDown) override;

    void drawComboBox (juce::Graphics& g, int width, int height, bool isButtonDown, int buttonX, int buttonY,
                       int buttonW, int buttonH, juce::ComboBox& box) override;

    void drawImageButton (juce::Graphics& g, juce::Image* image, int imageX, int imageY, int imageW,
                          int imageH, const juce::Colour& overlayColour, float imageOpacity,
                          juce::ImageButton& button) override;

    /** Thickness of the device lists' scroll bars. */
    static int getScrollBarThickness();

    /** Background of the device lists. */
    static juce::Colour getListBackgroundColour();
};
