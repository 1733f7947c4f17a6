// Compiles JUCE's audio devices module, followed by the one function that needs its internals.

#include <juce_audio_devices/juce_audio_devices.cpp>

#include "MidiSequencerSession.h"

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
