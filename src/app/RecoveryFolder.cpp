#include "RecoveryFolder.h"

#include <algorithm>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
constexpr const char* presetExtension = ".karvelo";
constexpr const char* lockExtension = ".lock";

// The folder whose windows a termination signal writes, and how many such writes are under way
// (the folder waits for them before it goes).
std::atomic<RecoveryFolder*> current{ nullptr };
std::atomic<int> emergencyWriters{ 0 };
std::atomic<bool> emergencyBegun{ false };

sigset_t terminationSignals()
{
    sigset_t signals;
    sigemptyset (&signals);

    for (auto signalNumber : { SIGTERM, SIGHUP, SIGINT })
        sigaddset (&signals, signalNumber);

    return signals;
}

// Writes the bytes to the temporary path, flushes them to the disk and renames the temporary file
// over the path, so the path holds either its old content or all of the new. Only calls that are
// safe in a signal handler.
bool writeAtomically (const char* path, const char* temporaryPath, const juce::uint8* data, size_t size)
{
    const auto descriptor = open (temporaryPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);

    if (descriptor < 0)
        return false;

    size_t done = 0;

    while (done < size)
    {
        const auto written = write (descriptor, data + done, size - done);

        if (written < 0 && errno == EINTR)
            continue;

        if (written <= 0)
            break;

        done += static_cast<size_t> (written);
    }

    const auto complete = done == size && fsync (descriptor) == 0;

    if (close (descriptor) != 0 || ! complete)
    {
        unlink (temporaryPath);
        return false;
    }

    return rename (temporaryPath, path) == 0;
}

// Makes the renames in the folder durable.
void syncFolder (const char* path)
{
    const auto descriptor = open (path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);

    if (descriptor >= 0)
    {
        fsync (descriptor);
        close (descriptor);
    }
}

// Called on whichever thread the signal lands on (the message thread holds them back while it
// changes a slot).
void writeAndEndOnSignal (int signalNumber)
{
    RecoveryFolder::writeEverythingNow();

    // Ends the process as the signal would have, so that whoever waits for it learns why.
    struct sigaction fallback = {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset (&fallback.sa_mask);
    sigaction (signalNumber, &fallback, nullptr);

    sigset_t signal;
    sigemptyset (&signal);
    sigaddset (&signal, signalNumber);
    pthread_sigmask (SIG_UNBLOCK, &signal, nullptr);
    raise (signalNumber);
    _exit (128 + signalNumber);
}

// "<instance>-<n>.karvelo" -> "<instance>"; empty for a name of any other form.
juce::String instanceOf (const juce::String& presetFileName)
{
    return presetFileName.dropLastCharacters (juce::String (presetExtension).length())
        .upToLastOccurrenceOf ("-", false, false);
}

int windowNumberOf (const juce::File& presetFile)
{
    return presetFile.getFileNameWithoutExtension().fromLastOccurrenceOf ("-", false, false).getIntValue();
}

// A descriptor holding the instance's lock, or -1 when another process holds it (or it cannot be
// made).
int takeLock (const juce::File& lockFile)
{
    const auto descriptor = open (lockFile.getFullPathName().toRawUTF8(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);

    if (descriptor >= 0 && flock (descriptor, LOCK_EX | LOCK_NB) != 0)
    {
        close (descriptor);
        return -1;
    }

    return descriptor;
}
} // namespace

//==============================================================================
class RecoveryFolder::Change
{
public:
    explicit Change (RecoveryFolder& changed)
        : folder (changed)
    {
        const auto signals = terminationSignals();
        pthread_sigmask (SIG_BLOCK, &signals, &previousMask);
        folder.busy = true;
        allowed = ! folder.frozen;
    }

    ~Change()
    {
        folder.busy = false;
        pthread_sigmask (SIG_SETMASK, &previousMask, nullptr);
    }

    bool allowed = false;

private:
    RecoveryFolder& folder;
    sigset_t previousMask;
};

//==============================================================================
juce::File RecoveryFolder::getDefaultLocation()
{
    const auto* dataHome = std::getenv ("XDG_DATA_HOME");
    const auto base =
        dataHome != nullptr && dataHome[0] == '/'
            ? juce::File (juce::String::fromUTF8 (dataHome))
            : juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile (".local/share");

    return base.getChildFile ("karvelo-editor").getChildFile ("recovery");
}

RecoveryFolder::RecoveryFolder (const juce::File& recoveryFolder, int writeDelayMs)
    : folder (recoveryFolder)
    , writeDelay (writeDelayMs)
    , folderPath (recoveryFolder.getFullPathName().toStdString())
{
    if (folder.createDirectory())
        chmod (folderPath.c_str(), 0700);

    // Another editor starting at the same moment may take a fresh instance's lock while it looks for
    // leftovers; a name of its own is then taken instead.
    for (int attempt = 0; attempt < 8 && lockDescriptor < 0; ++attempt)
    {
        instance = juce::String (getpid()) + "-"
                   + juce::String::toHexString (juce::Random().nextInt()).paddedLeft ('0', 8);
        lockDescriptor = takeLock (folder.getChildFile (instance + lockExtension));
    }

    current = this;
}

RecoveryFolder::~RecoveryFolder()
{
    stopTimer();
    writePendingFiles();

    for (auto& slot : slots)
        if (auto* window = slot->window.getComponent())
            window->removeListener (this);

    auto* self = this;

    if (current.compare_exchange_strong (self, nullptr))
        while (emergencyWriters.load() > 0)
        {
        }

    releaseLeftovers ({});

    // Files kept for the next start need no lock file: one that is missing is one nobody holds.
    if (lockDescriptor >= 0)
    {
        folder.getChildFile (instance + lockExtension).deleteFile();
        close (lockDescriptor);
    }
}

//==============================================================================
void RecoveryFolder::addWindow (MainWindow& window)
{
    auto* slot = findSlot (window);

    if (slot == nullptr)
    {
        const auto free =
            std::find_if (slots.begin(), slots.end(),
                          [] (const auto& s) { return s->window == nullptr && ! s->holdsEdits; });
        auto added = free == slots.end() ? std::make_unique<Slot>() : nullptr;
        const auto path =
            folder.getChildFile (instance + "-" + juce::String (++windowsAdded) + presetExtension)
                .getFullPathName();

        const Change change (*this);

        if (! change.allowed)
            return;

        slot = added != nullptr ? slots.emplace_back (std::move (added)).get() : free->get();
        slot->window = &window;
        slot->holdsEdits = false;
        slot->onDisk = true;
        slot->path = path.toStdString();
        slot->temporaryPath = slot->path + ".tmp";
        slot->emergencyPath = slot->path + ".signal";
    }

    window.addListener (this);

    if (window.hasUnsavedEdits())
        presetEditsChanged (window);
}

void RecoveryFolder::removeWindow (MainWindow& window)
{
    window.removeListener (this);

    if (auto* slot = findSlot (window))
        forget (*slot);
}

RecoveryFolder::Slot* RecoveryFolder::findSlot (MainWindow& window) const
{
    for (auto& slot : slots)
        if (slot->window.getComponent() == &window)
            return slot.get();

    return nullptr;
}

void RecoveryFolder::forget (Slot& slot)
{
    {
        const Change change (*this);

        if (! change.allowed)
            return;

        slot.holdsEdits = false;
        slot.window = nullptr;
    }

    for (const auto* path : { &slot.path, &slot.temporaryPath, &slot.emergencyPath })
        unlink (path->c_str());

    slot.onDisk = true;
}

void RecoveryFolder::presetEditsChanged (MainWindow& window)
{
    auto* slot = findSlot (window);

    if (slot == nullptr)
        return;

    if (! window.hasUnsavedEdits())
    {
        {
            const Change change (*this);

            if (! change.allowed)
                return;

            slot->holdsEdits = false;
        }

        unlink (slot->path.c_str());
        slot->onDisk = true;
        return;
    }

    const auto image = window.getFileImage();

    {
        const Change change (*this);

        if (! change.allowed)
            return;

        slot->image.assign (image.begin(), image.end());
        slot->holdsEdits = true;
    }

    slot->onDisk = false;

    if (! isTimerRunning())
        startTimer (writeDelay);
}

void RecoveryFolder::timerCallback()
{
    stopTimer();
    writePendingFiles();
}

void RecoveryFolder::writePendingFiles()
{
    bool anyWritten = false;

    for (auto& slot : slots)
    {
        if (slot->holdsEdits && ! slot->onDisk)
        {
            // A failure (a full disk, a folder made read-only) is tried again on the next change.
            slot->onDisk = writeAtomically (slot->path.c_str(), slot->temporaryPath.c_str(),
                                            slot->image.data(), slot->image.size());
            anyWritten = anyWritten || slot->onDisk;
        }
    }

    if (anyWritten)
        syncFolder (folderPath.c_str());
}

//==============================================================================
juce::Array<juce::File> RecoveryFolder::claimLeftovers()
{
    std::map<juce::String, juce::Array<juce::File>> presetsByInstance;

    for (const auto& entry : juce::RangedDirectoryIterator (folder, false, "*", juce::File::findFiles))
    {
        const auto name = entry.getFile().getFileName();

        if (name.endsWith (presetExtension))
            presetsByInstance[instanceOf (name)].add (entry.getFile());
        else if (name.endsWith (lockExtension))
            presetsByInstance[name.dropLastCharacters (juce::String (lockExtension).length())];
    }

    juce::Array<juce::File> leftovers;

    for (auto& [owner, presets] : presetsByInstance)
    {
        if (owner.isEmpty() || owner == instance || claimedLocks.count (owner) > 0)
            continue;

        const auto lockFile = folder.getChildFile (owner + lockExtension);
        const auto descriptor = takeLock (lockFile);

        if (descriptor < 0)
            continue; // that editor is still running

        if (presets.isEmpty())
        {
            lockFile.deleteFile();
            close (descriptor);
            continue;
        }

        claimedLocks[owner] = descriptor;
        std::sort (presets.begin(), presets.end(),
                   [] (const juce::File& a, const juce::File& b)
                   { return windowNumberOf (a) < windowNumberOf (b); });
        leftovers.addArray (presets);
    }

    return leftovers;
}

void RecoveryFolder::releaseLeftovers (const juce::Array<juce::File>& toDelete)
{
    for (const auto& file : toDelete)
        if (claimedLocks.count (instanceOf (file.getFileName())) > 0)
            file.deleteFile();

    for (const auto& [owner, descriptor] : claimedLocks)
    {
        if (folder.findChildFiles (juce::File::findFiles, false, owner + "-*" + presetExtension).isEmpty())
        {
            for (const auto& unfinished :
                 folder.findChildFiles (juce::File::findFiles, false, owner + "-*" + presetExtension + ".*"))
                unfinished.deleteFile();

            folder.getChildFile (owner + lockExtension).deleteFile();
        }

        close (descriptor);
    }

    claimedLocks.clear();
}

//==============================================================================
void RecoveryFolder::writeEverythingOnTerminationSignals()
{
    struct sigaction action = {};
    action.sa_handler = &writeAndEndOnSignal;
    action.sa_mask = terminationSignals();

    // A signal the editor was started ignoring (nohup ignores SIGHUP) stays ignored.
    for (auto signalNumber : { SIGTERM, SIGHUP, SIGINT })
        if (struct sigaction existing = {};
            sigaction (signalNumber, nullptr, &existing) == 0 && existing.sa_handler != SIG_IGN)
            sigaction (signalNumber, &action, nullptr);
}

void RecoveryFolder::writeEverythingNow()
{
    // A second signal on another thread waits here for the first write to end the process.
    if (emergencyBegun.exchange (true))
        for (;;)
            pause();

    ++emergencyWriters;

    if (auto* folder = current.load())
        folder->writeFromAnyThread();

    --emergencyWriters;
}

void RecoveryFolder::writeFromAnyThread()
{
    frozen = true;

    // A change under way on the message thread, which holds the signals back meanwhile, ends first.
    while (busy.load())
    {
    }

    bool anyWritten = false;

    for (const auto& slot : slots)
        if (slot->holdsEdits)
            anyWritten = writeAtomically (slot->path.c_str(), slot->emergencyPath.c_str(), slot->image.data(),
                                          slot->image.size())
                         || anyWritten;

    if (anyWritten)
    {
        syncFolder (folderPath.c_str());
        static constexpr char line[] =
            "Karvelo Editor: unsaved edits kept; the next start offers to reopen them\n";
        [[maybe_unused]] const auto written = write (STDERR_FILENO, line, sizeof (line) - 1);
    }
}
