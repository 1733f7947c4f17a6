#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** A two-state button drawn from two pictures: onImage while its toggle state is on, offImage
    otherwise. Every click flips the state. Hovering and pressing do not change the picture.

    The toggle state is the button's juce::Value, which may be shared with a model parameter: a
    parameter holding true, 1 or "1" shows the on picture. */
class ImageToggleButton
    : public juce::ReferenceCountedObject
    , public juce::Button
{
public:
    using Ptr = juce::ReferenceCountedObjectPtr<ImageToggleButton>;

    ImageToggleButton (const juce::String& name, const juce::Image& offImage, const juce::Image& onImage);
    ~ImageToggleButton() override;

    /** Whether the on picture is the one drawn. */
    bool showsOnImage();

protected:
    void paintButton (juce::Graphics& g, bool isMouseOverButton, bool isButtonDown) override;

private:
    juce::Image offImage, onImage;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ImageToggleButton)
};
