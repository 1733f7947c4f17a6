// Takes the place of JUCE's own header of this name. juce_audio_devices.cpp includes
// <juce_audio_basics/midi/juce_MidiDataConcatenator.h> just before the ALSA MIDI code, and the
// project's juce folder comes before JUCE's modules on the include path, so the module's ALSA
// input reassembles incoming bytes with the bounded copy in BoundedMidiDataConcatenator.h.
//
// JUCE's header has no include guard, and juce_audio_basics.cpp still compiles JUCE's class by a
// path of its own, so the copy keeps a name of its own and juce::MidiDataConcatenator is only an
// alias here: two classes of one name in one program would break the one-definition rule.
// JuceAudioDevices.cpp asserts at compile time that the module got the copy. The project's own
// code includes BoundedMidiDataConcatenator.h by its name, never this file.

#pragma once

#include "../../BoundedMidiDataConcatenator.h"

namespace juce
{
using MidiDataConcatenator = karvelo::BoundedMidiDataConcatenator;
}
