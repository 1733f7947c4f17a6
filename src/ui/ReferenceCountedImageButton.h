#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** A picture button that can be shared through counted references. */
class ReferenceCountedImageButton
    : public virtual juce::ReferenceCountedObject
    , public virtual juce::ImageButton
{
public:
    using Ptr = juce::ReferenceCountedObjectPtr<ReferenceCountedImageButton>;

    explicit ReferenceCountedImageButton (const juce::String& name);
    ~ReferenceCountedImageButton() override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ReferenceCountedImageButton)
};

/** The MIDI Setup window's buttons, named "Apply", "OK" and "Cancel", each 96 x 25 and drawn from
    its normal, mouse-over (lighter) and pressed (darker) pictures. */
ReferenceCountedImageButton::Ptr createApplyButton();
ReferenceCountedImageButton::Ptr createOKButton();
ReferenceCountedImageButton::Ptr createCancelButton();
