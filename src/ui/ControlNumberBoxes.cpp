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

    // A click on a caption leaves the keyboard focus where it is.
    ccLabel.setMouseClickGrabsKeyboardFocus (false);
    channelLabel.setMouseClickGrabsKeyboardFocus (false);

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

    // Tooltips are written when they are shown, from what the boxes show then.
    for (auto* box : { &ccBox, &channelBox })
        box->describe = [this, box] { return describe (*box); };
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
        channelValue = juce::String (MidiChannel::toStored (box->getValue()));
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

    // The model keeps the channel as text, as it keeps the "CC" box's text: a preset's store, an
    // integer, then always differs from what is held and reaches this view even when it brings
    // the same channel, so that it replaces an entry being typed.
    if (! held.isString())
        channelValue = juce::String (static_cast<int> (held));
}

void ControlNumberBoxes::setCaption (const juce::String& newCaption)
{
    caption = newCaption;
}

void ControlNumberBoxes::setNumberIsNote (bool isNote)
{
    numberIsNote = isNote;
}

void ControlNumberBoxes::showConflictWith (const juce::StringArray& otherControls)
{
    // "Also sent by strip 5 fader", "... by strip 5 fader and master fader", and beyond a few
    // names a count, so that a preset sending one message from everywhere keeps its tooltips short.
    constexpr int namesShown = 3;
    const auto count = otherControls.size();
    const auto listed = count <= namesShown + 1 ? count : namesShown;
    juce::StringArray names;

    for (int i = 0; i < listed; ++i)
        names.add (otherControls[i]);

    if (count > listed)
        names.add (juce::String (count - listed) + " more controls");

    conflictLine.clear();

    if (! names.isEmpty())
    {
        const auto last = names[names.size() - 1];
        names.remove (names.size() - 1);
        conflictLine =
            "Also sent by " + (names.isEmpty() ? last : names.joinIntoString (", ") + " and " + last);
    }

    ccBox.setMarked (conflictLine.isNotEmpty());
    channelBox.setMarked (conflictLine.isNotEmpty());
}

juce::String ControlNumberBoxes::describe (const NumberBoxComponent<int>& box) const
{
    const auto what = &box == &ccBox ? juce::String (numberIsNote ? "note number" : "controller number")
                                     : juce::String ("MIDI channel");
    const auto range = juce::String (box.getMinimum()) + " to " + juce::String (box.getMaximum());
    const auto shown = box.getValue();
    const auto text = ! box.isInRange (shown)
                          ? what + " " + juce::String (shown) + " is outside " + range
                                + ": type a channel from " + range + " to replace it"
                          : (caption.isEmpty() ? what.substring (0, 1).toUpperCase() + what.substring (1)
                                               : caption + ": " + what)
                                + ", " + range;

    return conflictLine.isEmpty() ? text : text + "\n" + conflictLine;
}
