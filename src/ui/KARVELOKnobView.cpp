#include "KARVELOKnobView.h"

#include "ViewStyle.h"
#include "model/MidiChannel.h"

KARVELOKnobView::KARVELOKnobView (KARVELOKnob::Ptr knob)
    : control (std::move (knob))
    , ccBox (ViewStyle::createCcBox())
    , channelBox (ViewStyle::createChannelBox())
    , ccLabel (ViewStyle::createCaption ("CC:", 10, 20))
    , channelLabel (ViewStyle::createCaption ("CH:", 10, 16))
{
    jassert (control != nullptr);

    ccLabel->attachToComponent (ccBox.get(), true);
    channelLabel->attachToComponent (channelBox.get(), true);

    addAndMakeVisible (*ccLabel);
    addAndMakeVisible (*channelLabel);
    addAndMakeVisible (*ccBox);
    addAndMakeVisible (*channelBox);

    control->bindParameter (ParameterNames::cc, ccBox->getTextValue());

    channelValue.addListener (this);
    channelBox->addListener (this);
    control->bindParameter (ParameterNames::midiChannel, channelValue);
    ViewStyle::replaceChannelTheBoxCannotShow (channelValue, *channelBox);
}

KARVELOKnobView::~KARVELOKnobView()
{
    channelValue.removeListener (this);
}

void KARVELOKnobView::resized()
{
    ccBox->setTopLeftPosition (ViewStyle::boxX, 0);
    channelBox->setTopLeftPosition (ViewStyle::boxX, 20);
}

void KARVELOKnobView::valueChanged (juce::Value&)
{
    channelBox->setValue (MidiChannel::toShown (static_cast<int> (channelValue.getValue())),
                          juce::dontSendNotification);
}

void KARVELOKnobView::numberBoxValueChanged (NumberBoxComponent<int>* box)
{
    if (box == channelBox.get())
        channelValue = MidiChannel::toStored (box->getValue());
}
