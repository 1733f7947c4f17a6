#pragma once

#include "engine/OrvikEditorEngine.h"

#include <vector>

/** Records every result an engine delivers, and how it was delivered: a result must arrive on the
    message thread, and never inside the call that caused it. Shared by the tests and the fuzzers,
    which each judge the two flags in their own way. */
struct ResultRecorder : OrvikEditorEngine::Listener
{
    struct Sent
    {
        EditorPreset::Ptr preset;
        int result;
    };

    void sendPresetResult (EditorPreset::Ptr preset, int result) override
    {
        check();
        sends.push_back ({ preset, result });
    }

    void requestPresetResult (int result) override
    {
        check();
        requests.push_back (result);
    }

    void openPresetFileResult (int result) override
    {
        check();
        opens.push_back (result);
    }

    void savePresetFileResult (int result) override
    {
        check();
        saves.push_back (result);
    }

    /** Runs an engine call, watching that no result arrives before it returns. */
    template <typename Operation>
    void call (Operation&& operation)
    {
        insideACall = true;
        operation();
        insideACall = false;
    }

    size_t total() const { return sends.size() + requests.size() + opens.size() + saves.size(); }

    void clear()
    {
        sends.clear();
        requests.clear();
        opens.clear();
        saves.clear();
    }

    bool deliveredWrongly() const { return deliveredInsideACall || deliveredOffTheMessageThread; }

    std::vector<Sent> sends;
    std::vector<int> requests, opens, saves;
    bool insideACall = false, deliveredInsideACall = false, deliveredOffTheMessageThread = false;

private:
    void check()
    {
        deliveredInsideACall = deliveredInsideACall || insideACall;
        deliveredOffTheMessageThread =
            deliveredOffTheMessageThread || ! juce::MessageManager::getInstance()->isThisTheMessageThread();
    }
};
