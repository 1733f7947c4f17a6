#include "MessageLoop.h"
#include "engine/JuceMidiDeviceLayer.h"
#include "engine/MidiManager.h"

#include <gtest/gtest.h>

#include <alsa/asoundlib.h>
#include <dlfcn.h>
#include <unistd.h>

namespace
{
std::atomic<int> sequencerClientsOpened{ 0 };
}

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
    // Standard error goes to a file while the manager lives.
    const juce::TemporaryFile printedFile (".stderr");
    fflush (stderr);
    const int standardError = dup (STDERR_FILENO);
    const int capture =
        ::open (printedFile.getFile().getFullPathName().toRawUTF8(), O_WRONLY | O_CREAT, 0600);
    dup2 (capture, STDERR_FILENO);
    ::close (capture);

    {
        MidiManager::Ptr manager (new MidiManager (std::make_unique<JuceMidiDeviceLayer>(), 2));
        manager->openMidiInput ("Karvelo");
        manager->openMidiOutput ("Karvelo");

        // About a hundred polls, each listing inputs and outputs.
        MessageLoop::runFor (300);
    }

    fflush (stderr);
    dup2 (standardError, STDERR_FILENO);
    ::close (standardError);
    const auto printed = printedFile.getFile().loadFileAsString();
    EXPECT_LE (sequencerClientsOpened.load(), 1);
    EXPECT_FALSE (printed.contains ("ALSA lib")) << printed.toStdString();
}
