#include "ImageToggleButton.h"

#include "Pictures.h"

ImageToggleButton::ImageToggleButton (const juce::String& name, const juce::Image& off, const juce::Image& on)
    : juce::Button (name)
    , offImage (off)
    , onImage (on)
{
    setClickingTogglesState (true);
}

ImageToggleButton::~ImageToggleButton() = default;

bool ImageToggleButton::showsOnImage()
{
    return getToggleStateValue().getValue() == juce::var (1);
}

void ImageToggleButton::paintButton (juce::Graphics& g, bool, bool)
{
    Pictures::drawAt (g, showsOnImage() ? onImage : offImage, 0, 0);
}
