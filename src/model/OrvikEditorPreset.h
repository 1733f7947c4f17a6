#pragma once

#include "EditorPreset.h"
#include "engine/QueueASyncUpdater.h"

/** The framework's preset: a data block with an update queue of its own, for product presets that
    report changes to the message thread. The Karvelo's preset leaves it unused: its block is stored
    on the message thread, and it tells its listeners directly. */
class OrvikEditorPreset
    : public virtual QueueASyncUpdater
    , public virtual EditorPreset
    , public virtual juce::ReferenceCountedObject
{
public:
    using Ptr = juce::ReferenceCountedObjectPtr<OrvikEditorPreset>;

    ~OrvikEditorPreset() override = default;
};
