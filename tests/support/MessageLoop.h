#pragma once

#include <juce_events/juce_events.h>

#include <functional>

/** Runs JUCE's real message loop from a test, so that asynchronous updates, juce::Value
    notifications and timers really happen. */
namespace MessageLoop
{
/** Dispatches messages until the condition holds or the timeout passes; returns the condition. */
bool runUntil (const std::function<bool()>& condition, int timeoutMilliseconds = 5000);

/** Dispatches messages for the given time. */
void runFor (int milliseconds);

/** Dispatches whatever is pending now, and what that posts in turn, without waiting for timers. */
void drain();
} // namespace MessageLoop
