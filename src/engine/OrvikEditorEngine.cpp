#include "OrvikEditorEngine.h"

#include "PresetFile.h"
#include "SysExProtocol.h"
#include "model/ListenerCalls.h"

//==============================================================================
OrvikEditorEngine::OpenPresetFileResultUpdater::OpenPresetFileResultUpdater (ListenerList* l, int r)
    : listeners (l)
    , result (r)
{
}

void OrvikEditorEngine::OpenPresetFileResultUpdater::update()
{
    callListeners (*listeners, [this] (Listener& l) { l.openPresetFileResult (result); });
}

OrvikEditorEngine::SendPresetResultUpdater::SendPresetResultUpdater (ListenerList* l, int r,
                                                                     EditorPreset::Ptr p)
    : listeners (l)
    , result (r)
    , preset (std::move (p))
{
}

void OrvikEditorEngine::SendPresetResultUpdater::update()
{
    callListeners (*listeners, [this] (Listener& l) { l.sendPresetResult (preset, result); });
}

OrvikEditorEngine::RequestPresetResultUpdater::RequestPresetResultUpdater (ListenerList* l, int r)
    : listeners (l)
    , result (r)
{
}

void OrvikEditorEngine::RequestPresetResultUpdater::update()
{
    callListeners (*listeners, [this] (Listener& l) { l.requestPresetResult (result); });
}

OrvikEditorEngine::SavePresetFileResultUpdater::SavePresetFileResultUpdater (ListenerList* l, int r)
    : listeners (l)
    , result (r)
{
}

void OrvikEditorEngine::SavePresetFileResultUpdater::update()
{
    callListeners (*listeners, [this] (Listener& l) { l.savePresetFileResult (result); });
}

//==============================================================================
OrvikEditorEngine::OrvikEditorEngine (MidiManager::Ptr manager, int replyLength,
                                      int acknowledgementTimeoutMilliseconds, int replyTimeoutMilliseconds)
    : midiManager (std::move (manager))
    , acknowledgementTimeout (acknowledgementTimeoutMilliseconds)
    , replyTimeout (replyTimeoutMilliseconds)
    , incoming (replyLength,
                [this] (SysExProtocol::MessageKind kind, const ByteArray& message)
                {
                    if (kind == SysExProtocol::MessageKind::acknowledgement)
                        handleAcknowledgement();
                    else
                        handleReply (message);
                })
{
    jassert (midiManager != nullptr);
    midiManager->addListener (&incoming);
}

OrvikEditorEngine::~OrvikEditorEngine()
{
    // Returns only once no MIDI input thread is delivering to the queue.
    midiManager->removeListener (&incoming);

    stopTimer (acknowledgementTimerId);
    stopTimer (replyTimerId);
    cancelPendingUpdate();
    pendingSends.clear();
    pendingRequests.clear();
}

void OrvikEditorEngine::addListener (Listener* listener)
{
    listeners.add (listener);
}

void OrvikEditorEngine::removeListener (Listener* listener)
{
    listeners.remove (listener);
}

void OrvikEditorEngine::queueResult (ListenerUpdater* updater)
{
    queueUpdate (updater, juce::sendNotificationAsync);
}

void OrvikEditorEngine::sendPreset (int slot, EditorPreset::Ptr preset)
{
    juce::ignoreUnused (slot);
    jassert (preset != nullptr);

    if (midiManager->getNumOpenMidiOutputs() < 1)
    {
        queueResult (new SendPresetResultUpdater (&listeners, SendResult::noOutput, preset));
        return;
    }

    const auto message = SysExProtocol::createSendPresetMessage (getProductId(), *preset);
    pendingSends.push_back (
        { preset, juce::Time::getMillisecondCounter() + (juce::uint32) acknowledgementTimeout, false });
    midiManager->sendMidiMessage (message);

    if (! isTimerRunning (acknowledgementTimerId))
        restartTimer (acknowledgementTimerId);
}

void OrvikEditorEngine::requestPreset (int slot, EditorPreset::Ptr preset)
{
    juce::ignoreUnused (slot);
    jassert (preset != nullptr);

    // Only inputs count: with an input but no output the request goes nowhere and ends by its timer.
    if (midiManager->getNumOpenMidiInputs() < 1)
    {
        queueResult (new RequestPresetResultUpdater (&listeners, RequestResult::noInput));
        return;
    }

    const auto message = SysExProtocol::createRequestPresetMessage (getProductId(), *preset);
    pendingRequests.push_back (
        { preset, juce::Time::getMillisecondCounter() + (juce::uint32) replyTimeout, false });
    midiManager->sendMidiMessage (message);

    if (! isTimerRunning (replyTimerId))
        restartTimer (replyTimerId);
}

int OrvikEditorEngine::openPresetFile (const juce::File& file, EditorPreset::Ptr preset)
{
    jassert (preset != nullptr);

    auto result = OpenResult::rejected;

    switch (PresetFile::read (file, *preset))
    {
        case PresetFile::ReadResult::missing:
            result = OpenResult::missing;
            break;
        case PresetFile::ReadResult::rejected:
            result = OpenResult::rejected;
            break;
        case PresetFile::ReadResult::loaded:
            result = OpenResult::loaded;
            break;
    }

    queueResult (new OpenPresetFileResultUpdater (&listeners, result));
    return result;
}

bool OrvikEditorEngine::savePresetFile (const juce::File& file, EditorPreset::Ptr preset)
{
    jassert (preset != nullptr);

    const auto written = PresetFile::write (file, *preset, getProductId());
    queueResult (
        new SavePresetFileResultUpdater (&listeners, written ? SaveResult::written : SaveResult::failed));
    return written;
}

void OrvikEditorEngine::handleAcknowledgement()
{
    EditorPreset::Ptr delivered;

    if (! pendingSends.empty())
    {
        delivered = pendingSends.front().preset;
        pendingSends.pop_front();
    }

    restartTimer (acknowledgementTimerId);
    queueResult (new SendPresetResultUpdater (&listeners, SendResult::acknowledged, delivered));
}

void OrvikEditorEngine::handleReply (const ByteArray& message)
{
    auto target = std::find_if (pendingRequests.begin(), pendingRequests.end(),
                                [] (const Pending& p) { return ! p.answered; });

    if (target == pendingRequests.end())
        return;

    if (! SysExProtocol::storePayload (message, *target->preset))
    {
        // The request has had its answer; it ends with "no reply" when its time is up.
        target->answered = true;
        return;
    }

    pendingRequests.erase (target);
    restartTimer (replyTimerId);
    queueResult (new RequestPresetResultUpdater (&listeners, RequestResult::received));
}

void OrvikEditorEngine::timerCallback (int timerId)
{
    stopTimer (timerId);

    if (timerId != acknowledgementTimerId && timerId != replyTimerId)
        return;

    auto& queue = timerId == acknowledgementTimerId ? pendingSends : pendingRequests;

    // The timer ran for the oldest entry; any others whose time is up end with it.
    const auto now = juce::Time::getMillisecondCounter();
    bool first = true;

    while (! queue.empty() && (first || static_cast<int> (queue.front().deadline - now) <= 0))
    {
        auto expired = queue.front();
        queue.pop_front();
        first = false;

        if (timerId == acknowledgementTimerId)
            queueResult (
                new SendPresetResultUpdater (&listeners, SendResult::noAcknowledgement, expired.preset));
        else
            queueResult (new RequestPresetResultUpdater (&listeners, RequestResult::noReply));
    }

    restartTimer (timerId);
}

void OrvikEditorEngine::restartTimer (int timerId)
{
    const auto& queue = timerId == acknowledgementTimerId ? pendingSends : pendingRequests;

    if (queue.empty())
    {
        stopTimer (timerId);
        return;
    }

    const auto remaining = static_cast<int> (queue.front().deadline - juce::Time::getMillisecondCounter());
    startTimer (timerId, juce::jmax (1, remaining));
}
