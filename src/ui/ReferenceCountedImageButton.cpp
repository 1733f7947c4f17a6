#include "ReferenceCountedImageButton.h"

#include "Pictures.h"

ReferenceCountedImageButton::ReferenceCountedImageButton (const juce::String& name)
    : juce::ImageButton (name)
{
}

ReferenceCountedImageButton::~ReferenceCountedImageButton() = default;

namespace
{
ReferenceCountedImageButton::Ptr createButton (const juce::String& name, const juce::Image& normal,
                                               const juce::Image& over, const juce::Image& down)
{
    ReferenceCountedImageButton::Ptr button (new ReferenceCountedImageButton (name));
    const juce::Colour noOverlay (juce::Colours::transparentBlack);
    button->setImages (true, false, true, normal, 1.0f, noOverlay, over, 1.0f, noOverlay, down, 1.0f,
                       noOverlay, 0.0f);
    return button;
}
} // namespace

ReferenceCountedImageButton::Ptr createApplyButton()
{
    return createButton ("Apply", Pictures::applyNormal(), Pictures::applyOver(), Pictures::applyDown());
}

ReferenceCountedImageButton::Ptr createOKButton()
{
    return createButton ("OK", Pictures::okNormal(), Pictures::okOver(), Pictures::okDown());
}

ReferenceCountedImageButton::Ptr createCancelButton()
{
    return createButton ("Cancel", Pictures::cancelNormal(), Pictures::cancelOver(), Pictures::cancelDown());
}
