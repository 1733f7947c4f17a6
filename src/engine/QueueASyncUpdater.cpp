#include "QueueASyncUpdater.h"

QueueASyncUpdater::~QueueASyncUpdater()
{
    cancelPendingUpdate();

    const juce::ScopedLock sl (lock);
    pending.clear();
}

void QueueASyncUpdater::queueUpdate (const ListenerUpdater::Ptr& updater, juce::NotificationType mode)
{
    if (updater == nullptr)
        return;

    if (mode == juce::sendNotificationSync)
    {
        updater->update();
        return;
    }

    {
        const juce::ScopedLock sl (lock);
        pending.add (updater);
    }

    triggerAsyncUpdate();
}

int QueueASyncUpdater::getNumPendingUpdates() const
{
    const juce::ScopedLock sl (lock);
    return pending.size();
}

void QueueASyncUpdater::handleAsyncUpdate()
{
    juce::ReferenceCountedArray<ListenerUpdater> batch;

    {
        const juce::ScopedLock sl (lock);
        batch.swapWith (pending);
    }

    for (auto* updater : batch)
        updater->update();
}
