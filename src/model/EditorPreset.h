#pragma once

#include "ByteArray.h"

/** A controller's preset as a fixed-size data block. */
class EditorPreset : public virtual juce::ReferenceCountedObject
{
public:
    using Ptr = juce::ReferenceCountedObjectPtr<EditorPreset>;

    /** The whole preset data block. */
    virtual ByteArray getData() const = 0;

    /** Whether setData would accept these bytes. Changes nothing. */
    virtual bool isValidData (const ByteArray& bytes) const = 0;

    /** Stores a whole valid block, or changes nothing and returns false. */
    virtual bool setData (const ByteArray& bytes) = 0;

    /** Size of the data block in bytes. */
    virtual int getDataSize() const = 0;

    ~EditorPreset() override = default;
};
