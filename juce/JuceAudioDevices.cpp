// Compiles JUCE's audio devices module, followed by the one function that needs its internals.

#include <juce_audio_devices/juce_audio_devices.cpp>

#include "MidiSequencerSession.h"

#include <type_traits>

#if JUCE_LINUX
// The ALSA input must reassemble incoming bytes with the project's bounded copy of JUCE's class
// (BoundedMidiDataConcatenator.h), not with JUCE's own.
static_assert (std::is_same_v<juce::MidiDataConcatenator, karvelo::BoundedMidiDataConcatenator>,
               "the audio-devices module did not include the project's MidiDataConcatenator");
#endif

#if JUCE_ALSA
namespace
{
void ignoreAlsaError (const char*, int, const char*, int, const char*, ...) {}
} // namespace
#endif

namespace karvelo
{
juce::ReferenceCountedObjectPtr<juce::ReferenceCountedObject> openMidiSequencerSession()
{
#if JUCE_ALSA
    snd_lib_error_set_handler (&ignoreAlsaError);
    return juce::AlsaClient::getInstance().get();
#else
    return {};
#endif
}
} // namespace karvelo
