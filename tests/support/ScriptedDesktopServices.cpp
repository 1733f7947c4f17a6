#include "ScriptedDesktopServices.h"

#include <gtest/gtest.h>

namespace
{
juce::String frontWindowName()
{
    auto& desktop = juce::Desktop::getInstance();

    for (int i = desktop.getNumComponents(); --i >= 0;)
        if (auto* component = desktop.getComponent (i);
            component->isVisible() && ! component->isAlwaysOnTop())
            return component->getName();

    return {};
}
} // namespace

DesktopServices::Answer ScriptedDesktopServices::askYesNoCancel (const juce::String& title,
                                                                 const juce::String& message)
{
    questions.push_back ({ title, message, frontWindowName() });

    if (answers.empty())
    {
        ADD_FAILURE() << "unexpected question: " << message.toStdString();
        return Answer::cancel;
    }

    const auto answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<juce::File> ScriptedDesktopServices::browseForFileToOpen (const juce::String& title,
                                                                        const juce::String& patterns)
{
    openDialogs.push_back ({ title, patterns, frontWindowName() });

    if (filesToOpen.empty())
    {
        ADD_FAILURE() << "unexpected open dialog: " << title.toStdString();
        return std::nullopt;
    }

    auto file = filesToOpen.front();
    filesToOpen.pop_front();
    return file;
}

std::optional<juce::File> ScriptedDesktopServices::browseForFileToSave (const juce::String& title,
                                                                        const juce::String& patterns)
{
    saveDialogs.push_back ({ title, patterns, frontWindowName() });

    if (filesToSave.empty())
    {
        ADD_FAILURE() << "unexpected save dialog: " << title.toStdString();
        return std::nullopt;
    }

    auto file = filesToSave.front();
    filesToSave.pop_front();
    return file;
}

void ScriptedDesktopServices::showWarning (const juce::String& title, const juce::String& message)
{
    warnings.push_back ({ title, message, frontWindowName() });
}

void ScriptedDesktopServices::showNativeMessage (const juce::String& title, const juce::String& message)
{
    nativeMessages.push_back ({ title, message, frontWindowName() });
}

bool ScriptedDesktopServices::openDocument (const juce::File& document)
{
    documentsOpened.push_back (document);
    return true;
}

void ScriptedDesktopServices::quit()
{
    ++quitRequests;
}
