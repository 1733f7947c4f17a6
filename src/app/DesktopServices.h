#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <optional>

/** What the editor asks of the desktop: the save question, the file dialogs, message boxes,
    opening a document with its viewer, and ending the program. The application uses
    NativeDesktopServices; the tests answer from a script.

    All calls come from the message thread. The question and the dialogs block until answered.
*/
class DesktopServices
{
public:
    enum class Answer
    {
        yes,
        no,
        cancel
    };

    virtual ~DesktopServices() = default;

    /** A modal Yes / No / Cancel question with the question icon. */
    virtual Answer askYesNoCancel (const juce::String& title, const juce::String& message) = 0;

    /** A modal question with buttons named by the caller: yes is the first (and default) button, no
        the second (left out when its text is empty), cancel the last, also given by Escape. */
    virtual Answer askQuestion (const juce::String& title, const juce::String& message,
                                const juce::String& yesText, const juce::String& noText,
                                const juce::String& cancelText) = 0;

    /** A modal file dialog; nothing when the user cancels it. */
    virtual std::optional<juce::File> browseForFileToOpen (const juce::String& title,
                                                           const juce::String& patterns) = 0;

    /** A modal save dialog that warns before overwriting; nothing when the user cancels it. */
    virtual std::optional<juce::File> browseForFileToSave (const juce::String& title,
                                                           const juce::String& patterns) = 0;

    /** A modal box asking for a short entry, with OK and Cancel: what was typed (only characters of
        allowedCharacters can be), or nothing when the user cancels. */
    virtual std::optional<juce::String> askForEntry (const juce::String& title, const juce::String& message,
                                                     const juce::String& allowedCharacters) = 0;

    /** A warning box with one OK button; returns at once. */
    virtual void showWarning (const juce::String& title, const juce::String& message) = 0;

    /** The platform's own message box with one OK button; returns at once. */
    virtual void showNativeMessage (const juce::String& title, const juce::String& message) = 0;

    /** Opens a document with the desktop's viewer for it. */
    virtual bool openDocument (const juce::File& document) = 0;

    /** Ends the program's message loop. */
    virtual void quit() = 0;
};
