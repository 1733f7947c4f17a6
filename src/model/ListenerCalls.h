#pragma once

#include <juce_core/juce_core.h>

/** Calls the callback on every listener of a juce::ListenerList: from the most recently added to
    the first; a listener removed during the walk and not yet called is not called; one added during
    the walk is not called by it.

    Every walk over a listener list goes through here for one reason: GCC 12 reports
    -Wdangling-pointer inside JUCE 7.0.5's ListenerList::call once it is inlined into the caller.
    The walk puts its iterator, a local object, at the head of the list's chain of active walks so
    that a removal can adjust it, and takes it out again before it returns; the warning cannot see
    the second half. It is silenced here, around that one call, and nowhere else.
*/
template <typename List, typename Callback>
void callListeners (List& list, Callback&& callback)
{
    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdangling-pointer")
    list.call (std::forward<Callback> (callback));
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE
}
