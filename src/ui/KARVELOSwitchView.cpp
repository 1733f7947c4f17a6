#include "KARVELOSwitchView.h"

#include "Pictures.h"
#include "ViewStyle.h"
#include "model/MidiChannel.h"

KARVELOSwitchView::KARVELOSwitchView (KARVELOSwitch::Ptr button)
    : control (std::move (button))
    , ccBox (ViewStyle::createCcBox())
    , channelBox (ViewStyle::createChannelBox())
    , ccLabel (ViewStyle::createCaption ("CC:", 10, 20))
    , channelLabel (ViewStyle::createCaption ("CH:", 10, 16))
{
    jassert (control != nullptr);

    ccLabel->attachToComponent (ccBox.get(), true);
    channelLabel->attachToComponent (channelBox.get(), true);

    const auto onImage = Pictures::switchOn();
    typeButton = new ImageToggleButton ("CC Note Toggle Button", Pictures::switchOff(), onImage);
    typeButton->setSize (onImage.getWidth(), onImage.getHeight());

    typeLabel = std::make_unique<juce::Label>();
    typeLabel->setSize (typeButton->getWidth(), typeButton->getHeight());
    typeLabel->setJustificationType (juce::Justification::centred);
    typeLabel->setInterceptsMouseClicks (false, true);

    typeButton->addListener (this);

    addAndMakeVisible (*typeButton);
    addAndMakeVisible (*ccLabel);
    addAndMakeVisible (*channelLabel);
    addAndMakeVisible (*ccBox);
    addAndMakeVisible (*channelBox);
    addAndMakeVisible (*typeLabel);

    channelValue.addListener (this);
    channelBox->addListener (this);

    control->bindParameter (ParameterNames::cc, ccBox->getTextValue());
    control->bindParameter (ParameterNames::type, typeButton->getToggleStateValue());
    control->bindParameter (ParameterNames::midiChannel, channelValue);
    ViewStyle::replaceChannelTheBoxCannotShow (channelValue, *channelBox);

    // Binding "TYPE" calls nobody when it leaves the toggle state off; the texts must match anyway.
    buttonStateChanged (typeButton.get());
}

KARVELOSwitchView::~KARVELOSwitchView()
{
    channelValue.removeListener (this);
    typeButton->removeListener (this);
}

void KARVELOSwitchView::resized()
{
    typeButton->setTopLeftPosition (0, 0);
    typeLabel->setTopLeftPosition (typeButton->getPosition());
    ccBox->setTopLeftPosition (ViewStyle::boxX, typeButton->getHeight());
    channelBox->setTopLeftPosition (ViewStyle::boxX, ccBox->getBottom());
}

void KARVELOSwitchView::showType()
{
    const bool controlChange = typeButton->getToggleState();
    typeLabel->setText (controlChange ? "CC" : "NOTE", juce::dontSendNotification);
    ccLabel->setText (controlChange ? "CC:" : "NT:", juce::dontSendNotification);
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

void KARVELOSwitchView::valueChanged (juce::Value&)
{
    channelBox->setValue (MidiChannel::toShown (static_cast<int> (channelValue.getValue())),
                          juce::dontSendNotification);
}

void KARVELOSwitchView::numberBoxValueChanged (NumberBoxComponent<int>* box)
{
    if (box == channelBox.get())
        channelValue = MidiChannel::toStored (box->getValue());
}
