#include "CustomLookForAuxiliaryWindows.h"

#include "Pictures.h"

int CustomLookForAuxiliaryWindows::getScrollBarThickness()
{
    return 10;
}

juce::Colour CustomLookForAuxiliaryWindows::getListBackgroundColour()
{
    return juce::Colours::black;
}

void CustomLookForAuxiliaryWindows::drawScrollbar (juce::Graphics& g, juce::ScrollBar& scrollBar, int x,
                                                   int y, int width, int height, bool isScrollbarVertical,
                                                   int thumbStartPosition, int thumbSize, bool, bool)
{
    constexpr float cornerSize = 6.0f;

    g.setColour (scrollBar.findColour (juce::ScrollBar::backgroundColourId));
    g.fillRoundedRectangle (juce::Rectangle<int> (x, y, width - 2, height - 2).toFloat(), cornerSize);

    const auto thumb = isScrollbarVertical
                           ? juce::Rectangle<int> (x + 1, thumbStartPosition, width - 2, thumbSize)
                           : juce::Rectangle<int> (thumbStartPosition, y + 1, thumbSize, height - 4);

    g.setColour (scrollBar.findColour (juce::ScrollBar::thumbColourId));
    g.fillRoundedRectangle (thumb.toFloat(), cornerSize);
}

void CustomLookForAuxiliaryWindows::drawComboBox (juce::Graphics& g, int width, int height, bool, int, int,
                                                  int, int, juce::ComboBox& box)
{
    g.setColour (box.findColour (juce::ComboBox::backgroundColourId));
    g.fillRoundedRectangle (juce::Rectangle<int> (0, 0, width, height).toFloat(), 2.0f);

    const auto middle = static_cast<float> (height / 2);
    juce::Path arrow;
    arrow.addTriangle (static_cast<float> (width - 10), middle + 4.0f, static_cast<float> (width - 5), middle,
                       static_cast<float> (width - 15), middle);

    g.setColour (box.findColour (juce::ComboBox::arrowColourId));
    g.fillPath (arrow);
}

void CustomLookForAuxiliaryWindows::drawImageButton (juce::Graphics& g, juce::Image* image, int imageX,
                                                     int imageY, int imageW, int imageH,
                                                     const juce::Colour& overlayColour, float imageOpacity,
                                                     juce::ImageButton& button)
{
    // The picture is stretched over the area it is given, so the larger rendering takes its place.
    auto drawn = Pictures::forContext (g, *image);
    juce::LookAndFeel_V3::drawImageButton (g, &drawn, imageX, imageY, imageW, imageH, overlayColour,
                                           imageOpacity, button);
}
