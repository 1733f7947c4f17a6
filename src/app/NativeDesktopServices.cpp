#include "NativeDesktopServices.h"

DesktopServices::Answer NativeDesktopServices::askYesNoCancel (const juce::String& title,
                                                               const juce::String& message)
{
    switch (juce::AlertWindow::showYesNoCancelBox (juce::MessageBoxIconType::QuestionIcon, title, message, {},
                                                   {}, {}, nullptr, nullptr))
    {
        case 1:
            return Answer::yes;
        case 2:
            return Answer::no;
        default:
            return Answer::cancel;
    }
}

DesktopServices::Answer NativeDesktopServices::askQuestion (const juce::String& title,
                                                            const juce::String& message,
                                                            const juce::String& yesText,
                                                            const juce::String& noText,
                                                            const juce::String& cancelText)
{
    const auto icon = juce::MessageBoxIconType::QuestionIcon;

    if (noText.isEmpty())
        return juce::AlertWindow::showOkCancelBox (icon, title, message, yesText, cancelText, nullptr,
                                                   nullptr)
                   ? Answer::yes
                   : Answer::cancel;

    switch (juce::AlertWindow::showYesNoCancelBox (icon, title, message, yesText, noText, cancelText, nullptr,
                                                   nullptr))
    {
        case 1:
            return Answer::yes;
        case 2:
            return Answer::no;
        default:
            return Answer::cancel;
    }
}

std::optional<juce::File> NativeDesktopServices::browseForFileToOpen (const juce::String& title,
                                                                      const juce::String& patterns)
{
    juce::FileChooser chooser (title, juce::File(), patterns, true);

    if (chooser.browseForFileToOpen())
        return chooser.getResult();

    return std::nullopt;
}

std::optional<juce::File> NativeDesktopServices::browseForFileToSave (const juce::String& title,
                                                                      const juce::String& patterns)
{
    juce::FileChooser chooser (title, juce::File(), patterns, true);

    if (chooser.browseForFileToSave (true))
        return chooser.getResult();

    return std::nullopt;
}

std::optional<juce::String> NativeDesktopServices::askForEntry (const juce::String& title,
                                                                const juce::String& message,
                                                                const juce::String& allowedCharacters)
{
    // The desktop's own boxes have no text field: this one is drawn by the editor.
    juce::AlertWindow box (title, message, juce::MessageBoxIconType::QuestionIcon);
    box.addTextEditor ("entry", {});
    box.getTextEditor ("entry")->setInputRestrictions (8, allowedCharacters);
    box.addButton ("OK", 1, juce::KeyPress (juce::KeyPress::returnKey));
    box.addButton ("Cancel", 0, juce::KeyPress (juce::KeyPress::escapeKey));

    if (box.runModalLoop() != 1)
        return std::nullopt;

    return box.getTextEditorContents ("entry");
}

void NativeDesktopServices::showWarning (const juce::String& title, const juce::String& message)
{
    juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::WarningIcon, title, message, {},
                                            nullptr);
}

void NativeDesktopServices::showNativeMessage (const juce::String& title, const juce::String& message)
{
    juce::NativeMessageBox::showMessageBoxAsync (juce::MessageBoxIconType::NoIcon, title, message);
}

bool NativeDesktopServices::openDocument (const juce::File& document)
{
    return document.startAsProcess();
}

void NativeDesktopServices::quit()
{
    juce::JUCEApplicationBase::quit();
}
