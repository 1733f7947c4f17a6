#pragma once

#include <juce_core/juce_core.h>

namespace karvelo
{
/** Keeps the platform's MIDI client open for as long as the returned object lives.

    On Linux, JUCE opens an ALSA sequencer client for every device-list call made while no port is
    open, and closes it again when the call returns; a device poll every 50 ms would create and
    destroy a client twenty times a second per list. While a session is held, every list, open and
    close reuses one client. The session also silences ALSA's own error printer, which otherwise
    writes a line to standard error for each failed attempt on a machine without a sequencer.

    On other platforms there is nothing to keep and the result is empty.
*/
juce::ReferenceCountedObjectPtr<juce::ReferenceCountedObject> openMidiSequencerSession();
} // namespace karvelo
