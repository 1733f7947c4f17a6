#include "KARVELOKnob.h"

KARVELOKnob::KARVELOKnob()
{
    addIntegerParameter (ParameterNames::midiChannel, 127, 0, 0);
    addIntegerParameter (ParameterNames::cc, 127, 0, 0);
}

const juce::StringArray& KARVELOKnob::namesInByteOrder()
{
    static const juce::StringArray names{ ParameterNames::midiChannel, ParameterNames::cc };
    return names;
}

ByteArray KARVELOKnob::getData() const
{
    return getDataOfParameters (namesInByteOrder());
}

bool KARVELOKnob::setData (const ByteArray& bytes)
{
    return setDataOfParameters (namesInByteOrder(), bytes);
}

juce::String KARVELOKnob::getControlType() const
{
    return ControlTypes::knob;
}

bool KARVELOKnob::isValidData (const ByteArray& bytes) const
{
    return isValidDataForParameters (namesInByteOrder(), bytes);
}
