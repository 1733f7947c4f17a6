#pragma once

#include "app/DesktopServices.h"

#include <deque>
#include <vector>

/** Answers the editor's questions and dialogs from a script, and records every box it was asked to
    show, so that application flows run unattended. A question or dialog with no scripted answer
    fails the test and is answered with Cancel. */
class ScriptedDesktopServices : public DesktopServices
{
public:
    struct Shown
    {
        juce::String title, message;

        /** The title of the front-most ordinary window (not one kept above the others) when the box
            came up. */
        juce::String frontWindow;
    };

    Answer askYesNoCancel (const juce::String& title, const juce::String& message) override;
    std::optional<juce::File> browseForFileToOpen (const juce::String& title,
                                                   const juce::String& patterns) override;
    std::optional<juce::File> browseForFileToSave (const juce::String& title,
                                                   const juce::String& patterns) override;
    void showWarning (const juce::String& title, const juce::String& message) override;
    void showNativeMessage (const juce::String& title, const juce::String& message) override;
    bool openDocument (const juce::File& document) override;
    void quit() override;

    /** What the script answers next, in order. */
    std::deque<Answer> answers;
    std::deque<std::optional<juce::File>> filesToOpen, filesToSave;

    /** What the editor asked and showed. */
    std::vector<Shown> questions, warnings, nativeMessages, openDialogs, saveDialogs;
    std::vector<juce::File> documentsOpened;
    int quitRequests = 0;
};
