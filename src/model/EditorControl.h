#pragma once

#include "ByteArray.h"

/** One physical control of a controller as the preset sees it: something that turns its settings
    into its slice of the preset data block and back. */
class EditorControl : public virtual juce::ReferenceCountedObject
{
public:
    /** The control's slice of the preset data block, one byte per parameter. */
    virtual ByteArray getData() const = 0;

    /** Stores a slice when every byte is valid for its parameter; returns whether it did. */
    virtual bool setData (const ByteArray& bytes) = 0;

    ~EditorControl() override = 0;
};
