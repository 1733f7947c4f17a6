#pragma once

#include "DesktopServices.h"

/** The desktop's own question boxes, dialogs and viewers, through JUCE. */
class NativeDesktopServices : public DesktopServices
{
public:
    Answer askYesNoCancel (const juce::String& title, const juce::String& message) override;
    Answer askQuestion (const juce::String& title, const juce::String& message, const juce::String& yesText,
                        const juce::String& noText, const juce::String& cancelText) override;
    std::optional<juce::File> browseForFileToOpen (const juce::String& title,
                                                   const juce::String& patterns) override;
    std::optional<juce::File> browseForFileToSave (const juce::String& title,
                                                   const juce::String& patterns) override;
    std::optional<juce::String> askForEntry (const juce::String& title, const juce::String& message,
                                             const juce::String& allowedCharacters) override;
    void showWarning (const juce::String& title, const juce::String& message) override;
    void showNativeMessage (const juce::String& title, const juce::String& message) override;
    bool openDocument (const juce::File& document) override;
    void quit() override;
};
