#include "KARVELOEditorEngine.h"

KARVELOEditorEngine::KARVELOEditorEngine (MidiManager::Ptr manager, int acknowledgementTimeoutMs,
                                          int replyTimeoutMs)
    : OrvikEditorEngine (std::move (manager), replyLength, acknowledgementTimeoutMs, replyTimeoutMs)
{
}

int KARVELOEditorEngine::getProductId() const
{
    return productId;
}

EditorPreset::Ptr KARVELOEditorEngine::createPreset()
{
    return createKarveloPreset().get();
}

KARVELOEditorPreset::Ptr KARVELOEditorEngine::createKarveloPreset() const
{
    return new KARVELOEditorPreset();
}
