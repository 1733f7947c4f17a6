#include "MessageLoop.h"
#include "engine/JuceMidiDeviceLayer.h"
#include "engine/MidiManager.h"

#include <gtest/gtest.h>

#include <alsa/asoundlib.h>
#include <dlfcn.h>

static std::atomic<int> sequencerClientsOpened{ 0 };

// Every ALSA sequencer client the program opens goes through here first, so the test can count them.
extern "C" int snd_seq_open (snd_seq_t** handle, const char* name, int streams, int mode)
{
    ++sequencerClientsOpened;
    using Open = int (*) (snd_seq_t**, const char*, int, int);
    static const auto realOpen = reinterpret_cast<Open> (dlsym (RTLD_NEXT, "snd_seq_open"));
    return realOpen (handle, name, streams, mode);
}

TEST (MidiSequencer, OneQuietClient)
{
    sequencerClientsOpened = 0;         // a repeated run counts afresh
    testing::internal::CaptureStderr(); // what is written to the descriptor, the library's printer too

    {
        MidiManager::Ptr manager (new MidiManager (std::make_unique<JuceMidiDeviceLayer>(), 2));
        manager->openMidiInput ("Karvelo");
        manager->openMidiOutput ("Karvelo");

        // About a hundred polls, each listing inputs and outputs.
        MessageLoop::runFor (300);
    }

    const auto printed = testing::internal::GetCapturedStderr();
    EXPECT_LE (sequencerClientsOpened.load(), 1);
    EXPECT_EQ (printed.find ("ALSA lib"), std::string::npos) << printed;
}
