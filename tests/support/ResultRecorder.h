#pragma once

#include "engine/OrvikEditorEngine.h"

#include <vector>

/** Records every result an engine delivers. A result must arrive on the message thread, and never
    inside the call that caused it (when the call runs through call()); deliveredWrongly() tells. */
struct ResultRecorder : OrvikEditorEngine::Listener
{
    struct Sent
    {
        EditorPreset::Ptr preset;
        int result;

        bool operator== (const Sent& other) const { return preset == other.preset && result == other.result; }
    };

    void sendPresetResult (EditorPreset::Ptr p, int result) override { record (sends, { p, result }); }
    void requestPresetResult (int result) override { record (requests, result); }
    void openPresetFileResult (int result) override { record (opens, result); }
    void savePresetFileResult (int result) override { record (saves, result); }

    template <typename Operation>
    void call (Operation&& operation)
    {
        insideACall = true;
        operation();
        insideACall = false;
    }

    size_t total() const { return sends.size() + requests.size() + opens.size() + saves.size(); }
    bool deliveredWrongly() const { return wrongly; }

    std::vector<Sent> sends;
    std::vector<int> requests, opens, saves;

private:
    template <typename Result>
    void record (std::vector<Result>& results, const Result& result)
    {
        wrongly = wrongly || insideACall || ! juce::MessageManager::getInstance()->isThisTheMessageThread();
        results.push_back (result);
    }

    bool insideACall = false, wrongly = false;
};
