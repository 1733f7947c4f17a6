#include "ViewStyle.h"

#include "model/MidiChannel.h"

namespace ViewStyle
{
std::unique_ptr<juce::Label> createCaption (const juce::String& text, int width, int height)
{
    auto caption = std::make_unique<juce::Label> (text, juce::String());
    caption->setText (text, juce::dontSendNotification);
    caption->setColour (juce::Label::textColourId, juce::Colours::white);
    caption->setFont (juce::Font (fontHeight));
    caption->setSize (width, height);
    return caption;
}

void styleNumberBox (NumberBoxComponent<int>& box)
{
    box.setFont (juce::Font (fontHeight));
    box.setColour (juce::Label::textColourId, juce::Colours::white);
    box.setColour (juce::TextEditor::textColourId, juce::Colours::white);
}

void replaceChannelTheBoxCannotShow (juce::Value& channelValue, const NumberBoxComponent<int>& channelBox)
{
    if (! channelBox.isInRange (MidiChannel::toShown (static_cast<int> (channelValue.getValue()))))
        channelValue = MidiChannel::toStored (MidiChannel::firstShown);
}

std::unique_ptr<NumberBoxComponent<int>> createCcBox()
{
    auto box = std::make_unique<NumberBoxComponent<int>> ("CC", 0, 127, 0);
    box->setSize (boxWidth, ccBoxHeight);
    styleNumberBox (*box);
    return box;
}

std::unique_ptr<NumberBoxComponent<int>> createChannelBox()
{
    auto box = std::make_unique<NumberBoxComponent<int>> ("Channel", MidiChannel::firstShown,
                                                          MidiChannel::lastShown, MidiChannel::firstShown);
    box->setSize (boxWidth, channelBoxHeight);
    styleNumberBox (*box);
    return box;
}
} // namespace ViewStyle
