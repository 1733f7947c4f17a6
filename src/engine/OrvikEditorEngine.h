#pragma once

#include "IncomingMessageQueue.h"
#include "MidiManager.h"
#include "QueueASyncUpdater.h"
#include "model/EditorPreset.h"

#include <deque>

/** Carries out the four operations that move a preset in or out of the editor: send it to the
    controller, request the controller's preset, open a preset file and save one.

    Every operation ends in exactly one result, delivered to the listeners later, on the message
    thread, never inside the call. Sends and requests are matched to the controller's
    acknowledgements and replies by age only (first in, first out): nothing in the messages says
    which send or request they answer. Each pending send or request has its own deadline; timer 1
    (acknowledgements) and timer 2 (replies) always run for the oldest one still pending.

    Threads: incoming messages arrive on the MIDI input thread, where they are only recognised and
    copied (see IncomingMessageQueue); matching, storing into presets and the timers all happen on
    the message thread, so no preset, queue or timer is ever touched by two threads.
*/
class OrvikEditorEngine
    : public virtual juce::ReferenceCountedObject
    , public virtual QueueASyncUpdater
    , private juce::MultiTimer
{
public:
    using Ptr = juce::ReferenceCountedObjectPtr<OrvikEditorEngine>;

    /** Result codes of the four operations. */
    struct SendResult
    {
        static constexpr int noOutput = 0, noAcknowledgement = 1, acknowledged = 2;
    };

    struct RequestResult
    {
        static constexpr int noInput = 0, noReply = 1, received = 2;
    };

    struct OpenResult
    {
        static constexpr int rejected = 0, missing = 1, loaded = 2;
    };

    struct SaveResult
    {
        static constexpr int failed = 0, written = 1;
    };

    enum TimerIds
    {
        acknowledgementTimerId = 1,
        replyTimerId = 2
    };

    class Listener
    {
    public:
        virtual ~Listener() = default;

        /** The preset is the one sent, or empty for an acknowledgement that matched no send. */
        virtual void sendPresetResult (EditorPreset::Ptr preset, int result) = 0;
        virtual void requestPresetResult (int result) = 0;
        virtual void openPresetFileResult (int result) = 0;
        virtual void savePresetFileResult (int result) = 0;
    };

    using ListenerList = juce::ListenerList<Listener>;

    class OpenPresetFileResultUpdater : public ListenerUpdater
    {
    public:
        OpenPresetFileResultUpdater (ListenerList* listenerList, int resultCode);
        void update() override;

    private:
        ListenerList* listeners;
        int result;
    };

    class SendPresetResultUpdater : public ListenerUpdater
    {
    public:
        SendPresetResultUpdater (ListenerList* listenerList, int resultCode, EditorPreset::Ptr presetSent);
        void update() override;

    private:
        ListenerList* listeners;
        int result;
        EditorPreset::Ptr preset;
    };

    class RequestPresetResultUpdater : public ListenerUpdater
    {
    public:
        RequestPresetResultUpdater (ListenerList* listenerList, int resultCode);
        void update() override;

    private:
        ListenerList* listeners;
        int result;
    };

    class SavePresetFileResultUpdater : public ListenerUpdater
    {
    public:
        SavePresetFileResultUpdater (ListenerList* listenerList, int resultCode);
        void update() override;

    private:
        ListenerList* listeners;
        int result;
    };

    /** The engine listens to the manager from construction until destruction. The timeouts are how
        long a send waits for its acknowledgement and a request for its reply. */
    OrvikEditorEngine (MidiManager::Ptr midiManager, int expectedReplyLength,
                       int acknowledgementTimeoutMilliseconds, int replyTimeoutMilliseconds);
    ~OrvikEditorEngine() override;

    void addListener (Listener* listener);
    void removeListener (Listener* listener);

    /** Sends the preset to every open output and waits for the acknowledgement. The slot is always
        SysExProtocol::noSlot. */
    void sendPreset (int slot, EditorPreset::Ptr preset);

    /** Asks the controller for its preset; an accepted reply is stored into this preset. */
    void requestPreset (int slot, EditorPreset::Ptr preset);

    /** Loads the file into the preset. The result reaches the listeners later, like every result;
        the return value (an OpenResult) tells the caller at once, so that a window does not take a
        file that did not load. */
    int openPresetFile (const juce::File& file, EditorPreset::Ptr preset);

    /** Writes the preset's file. The result reaches the listeners later, like every result; the
        return value tells the caller at once whether the file was written, so that a window can
        stay open when a save it was closing for did not happen. */
    bool savePresetFile (const juce::File& file, EditorPreset::Ptr preset);

    virtual int getProductId() const = 0;
    virtual EditorPreset::Ptr createPreset() = 0;

    int getNumPendingSends() const noexcept { return static_cast<int> (pendingSends.size()); }
    int getNumPendingRequests() const noexcept { return static_cast<int> (pendingRequests.size()); }

private:
    struct Pending
    {
        EditorPreset::Ptr preset;
        juce::uint32 deadline;
        bool answered; ///< a reply came and was rejected: the request ends when its timer runs out
    };

    // Called on the message thread, by the incoming queue and the timers.
    void handleAcknowledgement();
    void handleReply (const ByteArray& message);
    void timerCallback (int timerId) override;
    void restartTimer (int timerId);
    void queueResult (ListenerUpdater* updater);

    MidiManager::Ptr midiManager;
    const int acknowledgementTimeout, replyTimeout;
    ListenerList listeners;
    std::deque<Pending> pendingSends, pendingRequests;
    IncomingMessageQueue incoming;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OrvikEditorEngine)
};
