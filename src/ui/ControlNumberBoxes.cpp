#include "ControlNumberBoxes.h"

#include "model/MidiChannel.h"

namespace
{
constexpr float textHeight = 12.0f;
constexpr int boxWidth = 30, numberBoxHeight = 14, channelBoxHeight = 16;
} // namespace

ControlNumberBoxes::ControlNumberBoxes (juce::Component& view, const MEditorControl& control)
    : ccBox ("CC", 0, 127, 0)
    , channelBox ("Channel", MidiChannel::firstShown, MidiChannel::lastShown, MidiChannel::firstShown)
{
    const juce::Font font (textHeight);

    for (auto* label : { &ccLabel, &channelLabel, static_cast<juce::Label*> (&ccBox),
                         static_cast<juce::Label*> (&channelBox) })
    {
        label->setFont (font);
        label->setColour (juce::Label::textColourId, juce::Colours::white);
        view.addAndMakeVisible (label);
    }

    ccBox.setColour (juce::TextEditor::textColourId, juce::Colours::white);
    channelBox.setColour (juce::TextEditor::textColourId, juce::Colours::white);
    ccBox.setSize (boxWidth, numberBoxHeight);
    channelBox.setSize (boxWidth, channelBoxHeight);
    ccLabel.attachToComponent (&ccBox, true);
    channelLabel.attachToComponent (&channelBox, true);

    control.bindParameter (ParameterNames::cc, ccBox.getTextValue());

    // Binding calls valueChanged at once, which shows the stored channel.
    channelValue.addListener (this);
    channelBox.addListener (this);
    control.bindParameter (ParameterNames::midiChannel, channelValue);
}

ControlNumberBoxes::~ControlNumberBoxes()
{
    channelValue.removeListener (this);
}

void ControlNumberBoxes::setTops (int numberY, int channelY)
{
    ccBox.setTopLeftPosition (boxX, numberY);
    channelBox.setTopLeftPosition (boxX, channelY);
}

void ControlNumberBoxes::numberBoxValueChanged (NumberBoxComponent<int>* box)
{
    if (box == &channelBox)
    {
        channelValue = juce::String (MidiChannel::toStored (box->getValue()));
        showChannelWarning();
    }
}

void ControlNumberBoxes::valueChanged (juce::Value&)
{
    const auto held = channelValue.getValue();
    const auto shown = MidiChannel::toShown (static_cast<int> (held));

    // Text is this view's own store coming back (see below), which must not end an entry the user
    // has begun since; anything else is a channel from outside, which replaces the entry.
    if (held.isString() && channelBox.isBeingEdited() && shown == channelBox.getValue())
        return;

    channelBox.showValue (shown);
    showChannelWarning();

    // The model keeps the channel as text, as it keeps the "CC" box's text: a preset's store, an
    // integer, then always differs from what is held and reaches this view even when it brings
    // the same channel, so that it replaces an entry being typed.
    if (! held.isString())
        channelValue = juce::String (static_cast<int> (held));
}

void ControlNumberBoxes::showChannelWarning()
{
    const auto shown = channelBox.getValue();

    if (channelBox.isInRange (shown))
    {
        channelBox.setTooltip ({});
        tooltipWindow.reset();
        return;
    }

    // Tooltips need a window to show them in; one serves every view, and only while a channel
    // needs the warning.
    if (! tooltipWindow.has_value())
        tooltipWindow.emplace();

    const auto range =
        juce::String (MidiChannel::firstShown) + " to " + juce::String (MidiChannel::lastShown);
    channelBox.setTooltip ("MIDI channel " + juce::String (shown) + " is outside " + range
                           + ": type a channel from " + range + " to replace it");
}
