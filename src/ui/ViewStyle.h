#pragma once

#include "NumberBoxComponent.h"

/** What the knob and switch views share: white 12-pixel text for captions and boxes, and the two
    number boxes with their captions attached on the left. */
namespace ViewStyle
{
constexpr float fontHeight = 12.0f;
constexpr int boxWidth = 30;
constexpr int boxX = 30;
constexpr int ccBoxHeight = 14;
constexpr int channelBoxHeight = 16;

/** A caption whose component name is its text. */
std::unique_ptr<juce::Label> createCaption (const juce::String& text, int width, int height);

/** White text for the box and for what is typed into it, in the views' font. */
void styleNumberBox (NumberBoxComponent<int>& box);

/** A channel the view cannot show (the model allows 0 to 127, the views 1 to 16) is replaced by
    channel 1 when the view is built, so that what the window shows is what it saves and sends. */
void replaceChannelTheBoxCannotShow (juce::Value& channelValue, const NumberBoxComponent<int>& channelBox);

/** The ranges the views offer: any controller or note number, MIDI channels 1 to 16. */
std::unique_ptr<NumberBoxComponent<int>> createCcBox();
std::unique_ptr<NumberBoxComponent<int>> createChannelBox();
} // namespace ViewStyle
