#pragma once

#include <juce_core/juce_core.h>

/** A list of listeners held as plain pointers, without duplicates and without ownership.

    Listeners are called from the most recently added to the first. A listener may remove itself or
    others while it is being called: the walk then carries on with the listeners that were not
    called yet and are still in the list, each called once. Listeners added during a walk are not
    called by it.

    Not thread-safe, walks included (a walk keeps track of itself in the list): callers that share
    one between threads guard every use of it.
*/
template <typename ListenerType>
class ListenerArray
{
public:
    ListenerArray() = default;
    ListenerArray (const ListenerArray&) = delete;
    ListenerArray& operator= (const ListenerArray&) = delete;

    void add (ListenerType* listener)
    {
        if (listener != nullptr)
            listeners.addIfNotAlreadyThere (listener);
    }

    void remove (ListenerType* listener)
    {
        const auto index = listeners.indexOf (listener);

        if (index < 0)
            return;

        listeners.remove (index);

        for (auto* walk = activeWalks; walk != nullptr; walk = walk->previous)
            if (index < walk->index)
                --walk->index;
    }

    void clear()
    {
        while (! listeners.isEmpty())
            remove (listeners.getLast());
    }

    int size() const noexcept { return listeners.size(); }

    /** A copy of the list, oldest first. */
    juce::Array<ListenerType*> getListeners() const { return listeners; }

    bool contains (ListenerType* listener) const noexcept { return listeners.contains (listener); }

    template <typename Callback>
    void callNewestFirst (Callback&& callback) const
    {
        Walk walk{ listeners.size(), activeWalks };
        activeWalks = &walk;

        while (--walk.index >= 0)
            callback (*listeners.getUnchecked (walk.index));

        activeWalks = walk.previous;
    }

private:
    struct Walk
    {
        int index;
        Walk* previous;
    };

    juce::Array<ListenerType*> listeners;
    mutable Walk* activeWalks = nullptr;
};
