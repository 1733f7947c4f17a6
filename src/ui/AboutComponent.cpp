#include "AboutComponent.h"

#include "Pictures.h"
#include "ProductInfo.h"

AboutComponent::AboutComponent (juce::Image image)
    : picture (std::move (image))
    , versionLabel (std::make_unique<juce::Label>())
{
    versionLabel->setText (juce::String ("Version: ") + ProductInfo::version, juce::dontSendNotification);
    versionLabel->setFont (juce::Font (fontHeight));
    versionLabel->setJustificationType (juce::Justification::centred);
    versionLabel->setEditable (false, false, false);
    versionLabel->setColour (juce::Label::textColourId, juce::Colours::white);

    setSize (picture.getWidth(), picture.getHeight());
    addAndMakeVisible (*versionLabel);
}

AboutComponent::~AboutComponent() = default;

void AboutComponent::resized()
{
    versionLabel->setBounds (0, getHeight() / 2 - 30, getWidth(), static_cast<int> (fontHeight));
}

void AboutComponent::paint (juce::Graphics& g)
{
    Pictures::drawAt (g, picture, 0, 0);

    g.setColour (juce::Colours::white);
    g.setFont (juce::Font (fontHeight));
    g.drawText (copyrightLine, 0, copyrightY, getWidth(), static_cast<int> (fontHeight),
                juce::Justification::centred, true);
    g.setFont (juce::Font (fontHeight));
    g.drawText (trademarkLine, 0, trademarkY, getWidth(), static_cast<int> (fontHeight),
                juce::Justification::centred, true);
}

void AboutComponent::mouseUp (const juce::MouseEvent&)
{
    if (auto* window = getParentComponent())
        window->removeFromDesktop();
}
