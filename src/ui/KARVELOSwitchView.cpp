#include "KARVELOSwitchView.h"

#include "Pictures.h"

KARVELOSwitchView::KARVELOSwitchView (KARVELOSwitch::Ptr button)
    : control (std::move (button))
    , boxes (*this, *control)
{
    const auto onImage = Pictures::switchOn();
    typeButton = new ImageToggleButton ("CC Note Toggle Button", Pictures::switchOff(), onImage);
    typeButton->setSize (onImage.getWidth(), onImage.getHeight());

    // The keyboard moves through the number boxes only; a click on the button leaves the focus be.
    typeButton->setWantsKeyboardFocus (false);
    typeButton->setMouseClickGrabsKeyboardFocus (false);

    typeLabel = std::make_unique<juce::Label>();
    typeLabel->setSize (typeButton->getWidth(), typeButton->getHeight());
    typeLabel->setJustificationType (juce::Justification::centred);
    typeLabel->setInterceptsMouseClicks (false, true);

    typeButton->addListener (this);

    addAndMakeVisible (*typeButton);
    addAndMakeVisible (*typeLabel);

    control->bindParameter (ParameterNames::type, typeButton->getToggleStateValue());

    // Binding "TYPE" calls nobody when it leaves the toggle state off; the texts must match anyway.
    buttonStateChanged (typeButton.get());
}

KARVELOSwitchView::~KARVELOSwitchView()
{
    typeButton->removeListener (this);
}

void KARVELOSwitchView::resized()
{
    typeButton->setTopLeftPosition (0, 0);
    typeLabel->setTopLeftPosition (typeButton->getPosition());
    boxes.setTops (typeButton->getHeight(), typeButton->getHeight() + getCcBox().getHeight());
}

void KARVELOSwitchView::showType()
{
    const bool controlChange = typeButton->getToggleState();
    typeLabel->setText (controlChange ? "CC" : "NOTE", juce::dontSendNotification);
    getCcLabel().setText (controlChange ? "CC:" : "NT:", juce::dontSendNotification);
    boxes.setNumberIsNote (! controlChange);
}

void KARVELOSwitchView::buttonClicked (juce::Button* button)
{
    if (button == typeButton.get())
        showType();
}

void KARVELOSwitchView::buttonStateChanged (juce::Button* button)
{
    if (button == typeButton.get())
        showType();
}
