#include "engine/QueueASyncUpdater.h"
#include "MessageLoop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace
{
struct Log
{
    juce::CriticalSection lock;
    std::vector<int> delivered;
    std::atomic<int> alive{ 0 };

    void add (int id)
    {
        const juce::ScopedLock sl (lock);
        delivered.push_back (id);
    }

    std::vector<int> get()
    {
        const juce::ScopedLock sl (lock);
        return delivered;
    }
};

class RecordingUpdater : public ListenerUpdater
{
public:
    RecordingUpdater (Log& l, int i, std::function<void()> during = {})
        : log (l)
        , id (i)
        , onUpdate (std::move (during))
    {
        ++log.alive;
    }

    ~RecordingUpdater() override { --log.alive; }

    void update() override
    {
        log.add (id);

        if (onUpdate)
            onUpdate();
    }

private:
    Log& log;
    int id;
    std::function<void()> onUpdate;
};

struct Owner : QueueASyncUpdater
{
};
} // namespace

TEST (QueueASyncUpdater, UpdatersQueuedFromAnotherThreadArriveInOneRunInOrder)
{
    Log log;
    Owner owner;

    std::thread queueing (
        [&]
        {
            for (int i = 1; i <= 3; ++i)
                owner.queueUpdate (new RecordingUpdater (log, i), juce::sendNotificationAsync);
        });
    queueing.join();

    EXPECT_TRUE (log.get().empty()); // nothing is delivered on the queueing thread
    EXPECT_EQ (owner.getNumPendingUpdates(), 3);

    owner.handleAsyncUpdate();
    EXPECT_EQ (log.get(), (std::vector<int>{ 1, 2, 3 }));
    EXPECT_EQ (owner.getNumPendingUpdates(), 0);
    EXPECT_EQ (log.alive.load(), 0);
}

TEST (QueueASyncUpdater, AnUpdaterQueuedDuringDeliveryWaitsForTheNextRun)
{
    Log log;
    Owner owner;

    owner.queueUpdate (
        new RecordingUpdater (
            log, 1, [&] { owner.queueUpdate (new RecordingUpdater (log, 2), juce::sendNotificationAsync); }),
        juce::sendNotificationAsync);

    owner.handleAsyncUpdate();
    EXPECT_EQ (log.get(), (std::vector<int>{ 1 }));
    EXPECT_EQ (owner.getNumPendingUpdates(), 1);

    // The second one's own trigger has already asked for the next run.
    EXPECT_TRUE (MessageLoop::runUntil ([&] { return log.get().size() == 2; }));
    EXPECT_EQ (log.get(), (std::vector<int>{ 1, 2 }));
}

TEST (QueueASyncUpdater, SynchronousModeDeliversBeforeReturningAndQueuesNothing)
{
    Log log;
    Owner owner;
    owner.queueUpdate (new RecordingUpdater (log, 1), juce::sendNotificationAsync);

    owner.queueUpdate (new RecordingUpdater (log, 2), juce::sendNotificationSync);

    EXPECT_EQ (log.get(), (std::vector<int>{ 2 }));
    EXPECT_EQ (owner.getNumPendingUpdates(), 1);
    MessageLoop::drain();
    EXPECT_EQ (log.get(), (std::vector<int>{ 2, 1 }));
}

TEST (QueueASyncUpdater, DestroyingTheOwnerDeliversNothingAndLeaksNothing)
{
    Log log;

    {
        Owner owner;

        for (int i = 0; i < 5; ++i)
            owner.queueUpdate (new RecordingUpdater (log, i), juce::sendNotificationAsync);

        EXPECT_EQ (log.alive.load(), 5);
    }

    EXPECT_EQ (log.alive.load(), 0);
    MessageLoop::drain();
    EXPECT_TRUE (log.get().empty());
}

TEST (QueueASyncUpdater, EveryUpdaterFromManyThreadsArrivesOnceInEachThreadsOrder)
{
    constexpr int threads = 4;
    constexpr int perThread = 2000;

    Log log;
    Owner owner;
    std::atomic<bool> deliveredOffMessageThread{ false };

    std::vector<std::thread> queueing;

    for (int t = 0; t < threads; ++t)
        queueing.emplace_back (
            [&, t]
            {
                for (int i = 0; i < perThread; ++i)
                    owner.queueUpdate (
                        new RecordingUpdater (
                            log, t * perThread + i,
                            [&]
                            {
                                if (! juce::MessageManager::getInstance()->isThisTheMessageThread())
                                    deliveredOffMessageThread = true;
                            }),
                        juce::sendNotificationAsync);
            });

    EXPECT_TRUE (MessageLoop::runUntil ([&] { return log.get().size() == threads * perThread; }, 30000));

    for (auto& thread : queueing)
        thread.join();

    MessageLoop::drain();
    const auto delivered = log.get();
    ASSERT_EQ (delivered.size(), static_cast<size_t> (threads * perThread));
    EXPECT_FALSE (deliveredOffMessageThread.load());

    std::vector<int> next (threads, 0);

    for (auto id : delivered)
    {
        const auto thread = id / perThread;
        ASSERT_EQ (id % perThread, next[static_cast<size_t> (thread)]) << "out of order or repeated";
        ++next[static_cast<size_t> (thread)];
    }

    EXPECT_EQ (log.alive.load(), 0);
}
