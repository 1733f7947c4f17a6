#pragma once

#include "OrvikEditorEngine.h"
#include "SysExProtocol.h"
#include "model/KARVELOEditorPreset.h"

/** The engine for the Karvelo: product id 0x31, replies of 146 bytes, Karvelo presets. */
class KARVELOEditorEngine
    : public OrvikEditorEngine
    , public virtual juce::ReferenceCountedObject
{
public:
    using Ptr = juce::ReferenceCountedObjectPtr<KARVELOEditorEngine>;

    static constexpr int productId = 0x31;
    static constexpr int replyLength = SysExProtocol::presetMessageSize (KARVELOEditorPreset::dataSize);

    /** The controller answers within a few milliseconds (a 146-byte message takes 47 ms on a MIDI
        cable); a second is ample and short enough not to keep the user waiting for the warning. */
    static constexpr int acknowledgementTimeoutMilliseconds = 1000;
    static constexpr int replyTimeoutMilliseconds = 1000;

    explicit KARVELOEditorEngine (MidiManager::Ptr manager,
                                  int acknowledgementTimeoutMs = acknowledgementTimeoutMilliseconds,
                                  int replyTimeoutMs = replyTimeoutMilliseconds);

    int getProductId() const override;
    EditorPreset::Ptr createPreset() override;

    /** A new, all-zero Karvelo preset. */
    KARVELOEditorPreset::Ptr createKarveloPreset() const;
};
