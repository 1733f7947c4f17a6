#include "MessageLoop.h"
#include "engine/JuceMidiDeviceLayer.h"
#include "engine/MidiManager.h"

#include <gtest/gtest.h>

#include <alsa/asoundlib.h>
#include <dlfcn.h>
#include <unistd.h>

// Every ALSA sequencer client the program opens goes through here first, so the test can count them.
namespace
{
std::atomic<int> sequencerClientsOpened{ 0 };
}

extern "C" int snd_seq_open (snd_seq_t** handle, const char* name, int streams, int mode)
{
    ++sequencerClientsOpened;
    using Open = int (*) (snd_seq_t**, const char*, int, int);
    static const auto realOpen = reinterpret_cast<Open> (dlsym (RTLD_NEXT, "snd_seq_open"));
    return realOpen (handle, name, streams, mode);
}

namespace
{
/** Sends standard error to a file for as long as it lives. */
class CapturedStandardError
{
public:
    CapturedStandardError()
        : file (juce::File::createTempFile (".stderr"))
    {
        fflush (stderr);
        saved = dup (STDERR_FILENO);
        const auto capture = ::open (file.getFullPathName().toRawUTF8(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2 (capture, STDERR_FILENO);
        ::close (capture);
    }

    ~CapturedStandardError()
    {
        restore();
        file.deleteFile();
    }

    juce::String finish()
    {
        restore();
        return file.loadFileAsString();
    }

private:
    void restore()
    {
        if (saved < 0)
            return;

        fflush (stderr);
        dup2 (saved, STDERR_FILENO);
        ::close (saved);
        saved = -1;
    }

    juce::File file;
    int saved = -1;
};
} // namespace

TEST (MidiSequencer, DevicePollKeepsOneClientAndPrintsNothing)
{
    CapturedStandardError standardError;
    const auto openedBefore = sequencerClientsOpened.load();

    {
        MidiManager::Ptr manager (new MidiManager (std::make_unique<JuceMidiDeviceLayer>(), 2));
        manager->openMidiInput ("Karvelo");
        manager->openMidiOutput ("Karvelo");

        // About a hundred polls, each listing inputs and outputs.
        MessageLoop::runFor (300);

        EXPECT_EQ (manager->getNumOpenMidiInputs() + manager->getNumOpenMidiOutputs(),
                   manager->getAvailableMidiInputNames().contains ("Karvelo")
                       + manager->getAvailableMidiOutputNames().contains ("Karvelo"));
    }

    const auto printed = standardError.finish();
    EXPECT_LE (sequencerClientsOpened.load() - openedBefore, 1);
    EXPECT_FALSE (printed.contains ("ALSA lib")) << printed.toStdString();
}
