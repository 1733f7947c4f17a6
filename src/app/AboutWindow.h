#pragma once

#include "ui/AboutComponent.h"

/** A borderless window above all others, centred on the screen, showing the About panel. A click
    on the panel takes it off the desktop; the application shows the same window again next time. */
class AboutWindow
    : public juce::ResizableWindow
    , public juce::ReferenceCountedObject
{
public:
    using Ptr = juce::ReferenceCountedObjectPtr<AboutWindow>;

    explicit AboutWindow (juce::Image picture);
    ~AboutWindow() override;

    AboutComponent& getPanel() { return *panel; }

    /** No border of any kind: the window is exactly the panel. */
    juce::BorderSize<int> getBorderThickness() override { return {}; }

private:
    AboutComponent::Ptr panel;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AboutWindow)
};
