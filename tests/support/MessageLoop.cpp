#include "MessageLoop.h"

namespace MessageLoop
{
bool runUntil (const std::function<bool()>& condition, int timeoutMilliseconds)
{
    auto* messageManager = juce::MessageManager::getInstance();
    const auto end = juce::Time::getMillisecondCounter() + static_cast<juce::uint32> (timeoutMilliseconds);

    while (! condition())
    {
        if (juce::Time::getMillisecondCounter() >= end)
            return condition();

        messageManager->runDispatchLoopUntil (1);
    }

    return true;
}

void runFor (int milliseconds)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
}

void drain()
{
    runFor (20);
}
} // namespace MessageLoop
