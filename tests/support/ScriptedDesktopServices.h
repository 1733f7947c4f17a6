#pragma once

#include "app/DesktopServices.h"

#include <deque>
#include <functional>

// Answers the editor's questions and file dialogs from a script and logs every box it was asked to
// show, one entry each: "ask <title>: <message>" (with " [<yes>/<no>/<cancel>]" for a question with
// buttons of its own), "open <title>: <patterns>", "save <title>: <patterns>", "entry <title>:
// <message>", "warning <title>: <message>", "native <title>: <message>", "document <path>" and
// "quit". A question or dialog with no scripted answer fails the test and is cancelled.
class ScriptedDesktopServices : public DesktopServices
{
public:
    using Text = const juce::String&;

    Answer askYesNoCancel (Text title, Text message) override;
    Answer askQuestion (Text title, Text message, Text yesText, Text noText, Text cancelText) override;
    std::optional<juce::File> browseForFileToOpen (Text title, Text patterns) override;
    std::optional<juce::File> browseForFileToSave (Text title, Text patterns) override;
    std::optional<juce::String> askForEntry (Text title, Text message, Text allowedCharacters) override;
    void showWarning (Text title, Text text) override { log.add ("warning " + title + ": " + text); }
    void showNativeMessage (Text title, Text text) override { log.add ("native " + title + ": " + text); }
    bool openDocument (const juce::File& document) override;
    void quit() override { log.add ("quit"); }

    std::deque<Answer> answers;
    std::deque<std::optional<juce::File>> files;     // for the open and save dialogs alike, in turn
    std::deque<std::optional<juce::String>> entries; // typed into the entry boxes (nothing: Cancel)
    juce::StringArray log;
    juce::StringArray frontWindows;            // the front-most ordinary window's name at each question
    std::function<void()> whileSaveDialogOpen; // what the user does meanwhile, as a native dialog allows

private:
    template <typename Scripted>
    Scripted next (std::deque<Scripted>& script, Scripted cancelled, const juce::String& entry);
};
