#pragma once

#include <juce_core/juce_core.h>

/** A list of listeners held as plain pointers, without duplicates and without ownership.

    Listeners are called from the most recently added to the first. A listener may remove itself
    or others while it is being called: the walk re-reads the size before every step and carries
    on from the new end.

    Not thread-safe: callers that share one between threads guard it themselves.
*/
template <typename ListenerType>
class ListenerArray
{
public:
    void add (ListenerType* listener)
    {
        if (listener != nullptr)
            listeners.addIfNotAlreadyThere (listener);
    }

    void remove (ListenerType* listener) { listeners.removeFirstMatchingValue (listener); }

    int size() const noexcept { return listeners.size(); }

    bool contains (ListenerType* listener) const noexcept { return listeners.contains (listener); }

    template <typename Callback>
    void callNewestFirst (Callback&& callback) const
    {
        for (int i = listeners.size(); --i >= 0;)
        {
            i = juce::jmin (i, listeners.size() - 1);

            if (i < 0)
                break;

            callback (*listeners.getUnchecked (i));
        }
    }

private:
    juce::Array<ListenerType*> listeners;
};
