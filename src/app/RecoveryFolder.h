#pragma once

#include "MainWindow.h"

#include <atomic>
#include <map>
#include <string>
#include <vector>

/** Keeps the unsaved edits of every main window on disk, so that they outlive the process: written
    shortly after each change, and at once when the process is ended by a termination signal or
    loses its X display. A window's file goes when its edits are saved or loaded over, or when the
    window closes on the user's answer.

    The folder holds, for each running editor (an "instance": its process id and a random number,
    so that a later process with the same id never meets an earlier one's names):
      <instance>.lock          kept locked (flock) while that editor runs;
      <instance>-<n>.karvelo   the preset of its window n, in the preset file format.
    Files whose lock can be taken belong to an editor that is no longer running: they are the
    leftovers the next start offers to reopen. One editor never takes another running editor's
    files, and while one offers leftovers it holds their lock, so a second one starting meanwhile
    does not offer them too.

    Threads: everything runs on the message thread, except writeEverythingNow, which a termination
    signal runs on whatever thread it lands on. That path only reads images rendered beforehand and
    makes system calls that are safe in a signal handler; the message thread holds those signals
    back while it changes what that path reads.
*/
class RecoveryFolder
    : private MainWindow::Listener
    , private juce::Timer
{
public:
    /** How long after a change its file is written. */
    static constexpr int writeDelayMilliseconds = 500;

    /** $XDG_DATA_HOME/karvelo-editor/recovery, with ~/.local/share when XDG_DATA_HOME is unset or
        not an absolute path. */
    static juce::File getDefaultLocation();

    /** Creates the folder (readable by the user only) and takes this editor's lock in it. */
    explicit RecoveryFolder (const juce::File& folder, int writeDelay = writeDelayMilliseconds);

    /** Writes what is pending and keeps the files of windows still holding unsaved edits, for the
        next start: the process ends without the user having answered for them. */
    ~RecoveryFolder() override;

    /** From now on the window's unsaved edits are kept. */
    void addWindow (MainWindow& window);

    /** The window closes on the user's answer: its file goes. */
    void removeWindow (MainWindow& window);

    /** Writes every file whose window changed since its file was last written. */
    void writePendingFiles();

    /** The files that editors no longer running left, in the order of their windows. They are held
        for this editor until releaseLeftovers. */
    juce::Array<juce::File> claimLeftovers();

    /** Deletes these of the claimed files and lets go of the rest, for a later start. */
    void releaseLeftovers (const juce::Array<juce::File>& toDelete);

    /** From now on SIGTERM, SIGHUP and SIGINT write every window's unsaved edits before they end
        the process as they would have. */
    static void writeEverythingOnTerminationSignals();

    /** Writes every window's unsaved edits from their images in memory. Safe in a signal handler
        and on any thread; the folder changes nothing afterwards, as the process is about to end. */
    static void writeEverythingNow();

    const juce::File& getFolder() const noexcept { return folder; }

private:
    struct Slot
    {
        juce::Component::SafePointer<MainWindow> window; ///< empty: the slot is free
        bool holdsEdits = false;                         ///< read by writeEverythingNow
        bool onDisk = true;
        std::string path, temporaryPath, emergencyPath;
        std::vector<juce::uint8> image;
    };

    /** Holds the termination signals back on this thread and marks the folder busy, so that the
        emergency write (on another thread) waits; once that write has begun, nothing changes. */
    class Change;

    void presetEditsChanged (MainWindow& window) override;
    void timerCallback() override;
    Slot* findSlot (MainWindow& window) const;
    void forget (Slot& slot);
    void writeFromAnyThread();

    const juce::File folder;
    const int writeDelay;
    juce::String instance;
    std::string folderPath;
    int lockDescriptor = -1;
    int windowsAdded = 0;
    std::vector<std::unique_ptr<Slot>> slots;
    std::map<juce::String, int> claimedLocks; ///< instance of leftovers -> descriptor of its held lock
    std::atomic<bool> busy{ false }, frozen{ false };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (RecoveryFolder)
};

/** Where an application keeps the unsaved edits of its windows (nowhere without a folder), and how
    soon after a change it writes them. */
struct RecoverySettings
{
    juce::File folder;
    int writeDelayMilliseconds = RecoveryFolder::writeDelayMilliseconds;
};
