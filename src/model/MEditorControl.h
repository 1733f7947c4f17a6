#pragma once

#include "EditorControl.h"
#include "MEditorControlParameterData.h"

#include <map>

/** Names of the parameters and kinds of control that the controls and the views share. */
namespace ParameterNames
{
inline const juce::String midiChannel{ "MIDI CHANNEL" };
inline const juce::String cc{ "CC" };
inline const juce::String type{ "TYPE" };
} // namespace ParameterNames

namespace ControlTypes
{
inline const juce::String knob{ "KNOB" };
inline const juce::String switchControl{ "SWITCH" };
} // namespace ControlTypes

/** A control that holds its settings as named integer parameters.

    The parameter set is filled by the concrete control's constructor and never changes afterwards.
    All operations run on the message thread: parameter values are juce::Values shared with the
    views, and juce::Value is not thread-safe.
*/
class MEditorControl
    : public virtual juce::ReferenceCountedObject
    , public EditorControl
{
public:
    using Ptr = juce::ReferenceCountedObjectPtr<MEditorControl>;

    ~MEditorControl() override;

    /** "KNOB" or "SWITCH". */
    virtual juce::String getControlType() const = 0;

    /** Whether setData would accept these bytes. Changes nothing. */
    virtual bool isValidData (const ByteArray& bytes) const = 0;

    /** Adds a parameter holding copies of the three values' current contents (note: maximum
        before minimum). A name that is already present keeps its existing parameter. */
    void addParameter (const juce::String& name, const juce::Value& maximum, const juce::Value& minimum,
                       const juce::Value& initialValue);

    /** A value sharing the named parameter's value; for an unknown name, an unshared empty value. */
    juce::Value getParameterValue (const juce::String& name) const;

    /** Whether the candidate's integer lies within the named parameter's range, both ends included.
        False for an unknown name. */
    bool isValidParameterValue (const juce::String& name, const juce::var& candidate) const;

    /** Stores the candidate when it is valid for the named parameter; otherwise does nothing. */
    void setParameterValue (const juce::String& name, const juce::var& candidate);

    /** Makes target refer to the named parameter's value, so that a view and the model share one
        value from then on. Returns false, leaving target alone, for an unknown name. */
    bool bindParameter (const juce::String& name, juce::Value& target) const;

protected:
    /** Helpers for the concrete controls, whose slice holds one byte per parameter, in the order
        of the given names. */
    ByteArray getDataOfParameters (const juce::StringArray& namesInByteOrder) const;
    bool isValidDataForParameters (const juce::StringArray& namesInByteOrder, const ByteArray& bytes) const;
    bool setDataOfParameters (const juce::StringArray& namesInByteOrder, const ByteArray& bytes);

    /** Adds an integer parameter with the given range and initial value. */
    void addIntegerParameter (const juce::String& name, int maximum, int minimum, int initialValue);

private:
    MEditorControlParameterData::Ptr findParameter (const juce::String& name) const;

    std::map<juce::String, MEditorControlParameterData::Ptr> parameters;
};
