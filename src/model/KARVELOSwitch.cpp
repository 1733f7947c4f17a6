#include "KARVELOSwitch.h"

KARVELOSwitch::KARVELOSwitch()
{
    addIntegerParameter (ParameterNames::midiChannel, 127, 0, 0);
    addIntegerParameter (ParameterNames::type, typeControlChange, typeNote, typeNote);
    addIntegerParameter (ParameterNames::cc, 127, 0, 0);
}

const juce::StringArray& KARVELOSwitch::namesInByteOrder()
{
    static const juce::StringArray names{ ParameterNames::midiChannel, ParameterNames::type,
                                          ParameterNames::cc };
    return names;
}

ByteArray KARVELOSwitch::getData() const
{
    return getDataOfParameters (namesInByteOrder());
}

bool KARVELOSwitch::setData (const ByteArray& bytes)
{
    return setDataOfParameters (namesInByteOrder(), bytes);
}

juce::String KARVELOSwitch::getControlType() const
{
    return ControlTypes::switchControl;
}

bool KARVELOSwitch::isValidData (const ByteArray& bytes) const
{
    return isValidDataForParameters (namesInByteOrder(), bytes);
}
