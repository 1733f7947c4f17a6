#pragma once

#include <juce_events/juce_events.h>

#include <functional>

/** Runs JUCE's real message loop from a test, so that asynchronous updates, juce::Value
    notifications and timers really happen. */
namespace MessageLoop
{
/** Dispatches messages for the given time. */
inline void runFor (int milliseconds)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
}

/** Dispatches messages until the condition holds or the timeout passes; returns the condition. */
inline bool runUntil (const std::function<bool()>& condition, int timeoutMilliseconds = 5000)
{
    const auto end = juce::Time::getMillisecondCounter() + static_cast<juce::uint32> (timeoutMilliseconds);

    while (! condition())
        if (juce::Time::getMillisecondCounter() >= end)
            return condition();
        else
            runFor (1);

    return true;
}

/** Dispatches whatever is pending now, and what that posts in turn, without waiting for timers. */
inline void drain()
{
    runFor (20);
}
} // namespace MessageLoop
