#include "engine/QueueASyncUpdater.h"
#include "MessageLoop.h"

#include <gtest/gtest.h>

namespace
{
constexpr auto async = juce::sendNotificationAsync;
std::vector<int> delivered;
std::atomic<int> alive{ 0 };

// Logs its id when delivered (-1 when off the message thread), then does what it was given.
struct RecordingUpdater : ListenerUpdater
{
    RecordingUpdater (int i, std::function<void()> then = {})
        : id (i)
        , onUpdate (std::move (then))
    {
        ++alive;
    }

    ~RecordingUpdater() override { --alive; }

    void update() override
    {
        delivered.push_back (juce::MessageManager::existsAndIsCurrentThread() ? id : -1);

        if (onUpdate)
            onUpdate();
    }

    const int id;
    const std::function<void()> onUpdate;
};
} // namespace

TEST (QueueASyncUpdater, DeliversOnceInOrder)
{
    constexpr int threads = 4, perThread = 2000;
    delivered.clear(); // a repeated run starts afresh
    auto owner = std::make_unique<QueueASyncUpdater>();
    std::vector<std::thread> queueing;

    for (int t = 0; t < threads; ++t)
        queueing.emplace_back (
            [&, t]
            {
                for (int i = 0; i < perThread; ++i)
                    owner->queueUpdate (new RecordingUpdater (t * perThread + i), async);
            });

    // Delivered while the threads still queue, each once and in its thread's order.
    EXPECT_TRUE (MessageLoop::runUntil ([&] { return delivered.size() == threads * perThread; }, 30000));

    for (auto& thread : queueing)
        thread.join();

    MessageLoop::drain();
    std::vector<int> next (threads, 0);

    for (auto id : std::exchange (delivered, {}))
        ASSERT_EQ (id % perThread, next.at (static_cast<size_t> (id / perThread))++);

    // A run delivers what was pending when it started; the fourth asks for the next run itself.
    const std::function<void()> fourth = [&] { owner->queueUpdate (new RecordingUpdater (4), async); };

    for (int i = 1; i <= 3; ++i)
        owner->queueUpdate (new RecordingUpdater (i, i == 2 ? fourth : nullptr), async);

    owner->handleAsyncUpdate();
    EXPECT_EQ (delivered, (std::vector<int>{ 1, 2, 3 }));
    EXPECT_TRUE (MessageLoop::runUntil ([&] { return delivered.size() == 4; }));

    // The fifth still waits for its run when the sixth, synchronous, is delivered at once and the
    // owner goes.
    owner->queueUpdate (new RecordingUpdater (5), async);
    owner->queueUpdate (new RecordingUpdater (6), juce::sendNotificationSync);
    owner = nullptr;
    EXPECT_EQ (alive, 0); // none of either part is left
    MessageLoop::drain();
    EXPECT_EQ (delivered, (std::vector<int>{ 1, 2, 3, 4, 6 }));
}
