#pragma once

#include <juce_data_structures/juce_data_structures.h>

/** One named integer parameter of a control: its current value and its inclusive range.

    The value is a juce::Value so that views can share it (see MEditorControl::bindParameter). A view
    may store a boolean or text into it; every read converts with juce::var's integer conversion.
*/
class MEditorControlParameterData : public virtual juce::ReferenceCountedObject
{
public:
    using Ptr = juce::ReferenceCountedObjectPtr<MEditorControlParameterData>;

    juce::Value value;
    juce::Value minimum;
    juce::Value maximum;
};
