#include "MEditorControl.h"

MEditorControl::~MEditorControl() = default;

void MEditorControl::addParameter (const juce::String& name, const juce::Value& maximum,
                                   const juce::Value& minimum, const juce::Value& initialValue)
{
    if (parameters.find (name) != parameters.end())
        return;

    MEditorControlParameterData::Ptr parameter (new MEditorControlParameterData());
    parameter->minimum = minimum.getValue();
    parameter->maximum = maximum.getValue();
    parameter->value = initialValue.getValue();
    parameters.emplace (name, parameter);
}

void MEditorControl::addIntegerParameter (const juce::String& name, int maximum, int minimum,
                                          int initialValue)
{
    addParameter (name, juce::Value (maximum), juce::Value (minimum), juce::Value (initialValue));
}

MEditorControlParameterData::Ptr MEditorControl::findParameter (const juce::String& name) const
{
    auto found = parameters.find (name);
    return found != parameters.end() ? found->second : nullptr;
}

juce::Value MEditorControl::getParameterValue (const juce::String& name) const
{
    if (auto parameter = findParameter (name))
        return juce::Value (parameter->value);

    return {};
}

bool MEditorControl::isValidParameterValue (const juce::String& name, const juce::var& candidate) const
{
    auto parameter = findParameter (name);

    if (parameter == nullptr)
        return false;

    const auto number = static_cast<int> (candidate);
    return static_cast<int> (parameter->minimum.getValue()) <= number
           && number <= static_cast<int> (parameter->maximum.getValue());
}

void MEditorControl::setParameterValue (const juce::String& name, const juce::var& candidate)
{
    if (isValidParameterValue (name, candidate))
        findParameter (name)->value = candidate;
}

bool MEditorControl::bindParameter (const juce::String& name, juce::Value& target) const
{
    auto parameter = findParameter (name);

    if (parameter == nullptr)
        return false;

    target.referTo (parameter->value);
    return true;
}

ByteArray MEditorControl::getDataOfParameters (const juce::StringArray& namesInByteOrder) const
{
    ByteArray bytes;

    for (auto& name : namesInByteOrder)
        bytes.add (static_cast<juce::uint8> (static_cast<int> (getParameterValue (name).getValue()) & 0xff));

    return bytes;
}

bool MEditorControl::isValidDataForParameters (const juce::StringArray& namesInByteOrder,
                                               const ByteArray& bytes) const
{
    if (bytes.size() != namesInByteOrder.size())
        return false;

    bool valid = true;

    for (int i = 0; i < bytes.size(); ++i)
        valid = isValidParameterValue (namesInByteOrder[i], static_cast<int> (bytes[i])) && valid;

    return valid;
}

bool MEditorControl::setDataOfParameters (const juce::StringArray& namesInByteOrder, const ByteArray& bytes)
{
    if (! isValidData (bytes))
        return false;

    for (int i = 0; i < bytes.size(); ++i)
        setParameterValue (namesInByteOrder[i], static_cast<int> (bytes[i]));

    return true;
}
