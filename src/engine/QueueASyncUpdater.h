#pragma once

#include <juce_events/juce_events.h>

/** A small counted message that performs one delivery when the message thread gets to it. */
class ListenerUpdater : public virtual juce::ReferenceCountedObject
{
public:
    using Ptr = juce::ReferenceCountedObjectPtr<ListenerUpdater>;

    ~ListenerUpdater() override = default;

    /** Performs the delivery. */
    virtual void update() = 0;
};

/** Mix-in that keeps a queue of updaters and delivers them in order on the message thread.

    queueUpdate may be called from any thread. Each run of handleAsyncUpdate delivers the updaters
    that were pending when it started; an updater queued during that run (by a listener, say) is
    delivered by the next run. Destroying the owner delivers nothing more and releases whatever
    was still pending.

    Deliveries happen without the queue's lock held, so a thread that queues never waits for a
    listener on the message thread to finish. (The engine, the one user, queues on the message thread
    only: incoming messages reach it through IncomingMessageQueue.)
*/
class QueueASyncUpdater
    : public virtual juce::ReferenceCountedObject
    , public virtual juce::AsyncUpdater
{
public:
    ~QueueASyncUpdater() override;

    /** sendNotificationSync delivers at once on the calling thread; any other mode queues the
        updater for the message thread. Called on any thread. */
    void queueUpdate (const ListenerUpdater::Ptr& updater, juce::NotificationType mode);

    /** Number of updaters waiting for delivery. */
    int getNumPendingUpdates() const;

    /** Called on the message thread. */
    void handleAsyncUpdate() override;

private:
    juce::ReferenceCountedArray<ListenerUpdater> pending;
    juce::CriticalSection lock;
};
