#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The About window's panel: the product picture with the version line over it and the copyright
    and trademark lines near its foot. Releasing a click anywhere on it closes its window, except on
    the version line, which takes its own clicks. */
class AboutComponent
    : public juce::Component
    , public juce::ReferenceCountedObject
{
public:
    using Ptr = juce::ReferenceCountedObjectPtr<AboutComponent>;

    static constexpr float fontHeight = 15.0f;
    static constexpr int copyrightY = 211;
    static constexpr int trademarkY = 227;
    static constexpr const char* copyrightLine =
        "Copyright (c) 2026 Karvelo Instruments. All rights reserved.";
    static constexpr const char* trademarkLine = "Karvelo is a trademark of Karvelo Instruments.";

    explicit AboutComponent (juce::Image picture);
    ~AboutComponent() override;

    void mouseUp (const juce::MouseEvent& event) override;
    void paint (juce::Graphics& g) override;
    void resized() override;

    juce::Label& getVersionLabel() { return *versionLabel; }

private:
    juce::Image picture;
    std::unique_ptr<juce::Label> versionLabel;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AboutComponent)
};
