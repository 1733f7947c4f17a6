#pragma once

#include "app/DesktopServices.h"

/** Desktop services whose dialogs nobody is there to answer: every question with choices is
    cancelled, every file dialog and entry is dismissed, no document opens and the program never
    quits by itself. What happens to a save question and to a warning stays the Base's, or the
    subclass's, choice. */
template <typename Base>
class DialogsRefused : public Base
{
public:
    using Answer = DesktopServices::Answer;
    using Text = const juce::String&;

    Answer askQuestion (Text, Text, Text, Text, Text) override { return Answer::cancel; }
    std::optional<juce::File> browseForFileToOpen (Text, Text) override { return {}; }
    std::optional<juce::File> browseForFileToSave (Text, Text) override { return {}; }
    std::optional<juce::String> askForEntry (Text, Text, Text) override { return {}; }
    bool openDocument (const juce::File&) override { return false; }
    void quit() override {}
};
