#include "ScriptedDesktopServices.h"

#include <gtest/gtest.h>

namespace
{
juce::String frontWindowName()
{
    auto& desktop = juce::Desktop::getInstance();

    for (int i = desktop.getNumComponents(); --i >= 0;)
        if (auto* window = desktop.getComponent (i); window->isVisible() && ! window->isAlwaysOnTop())
            return window->getName();

    return {};
}
} // namespace

template <typename Scripted>
Scripted ScriptedDesktopServices::next (std::deque<Scripted>& script, Scripted cancelled,
                                        const juce::String& entry)
{
    log.add (entry);

    if (script.empty())
    {
        ADD_FAILURE() << "no scripted answer for " << entry;
        return cancelled;
    }

    const auto answer = script.front();
    script.pop_front();
    return answer;
}

DesktopServices::Answer ScriptedDesktopServices::askYesNoCancel (Text title, Text message)
{
    frontWindows.add (frontWindowName());
    return next (answers, Answer::cancel, "ask " + title + ": " + message);
}

DesktopServices::Answer ScriptedDesktopServices::askQuestion (Text title, Text message, Text yesText,
                                                              Text noText, Text cancelText)
{
    frontWindows.add (frontWindowName());
    const auto buttons = juce::StringArray{ yesText, noText, cancelText };
    return next (answers, Answer::cancel,
                 "ask " + title + ": " + message + " [" + buttons.joinIntoString ("/") + "]");
}

std::optional<juce::File> ScriptedDesktopServices::browseForFileToOpen (Text title, Text patterns)
{
    return next (files, std::optional<juce::File>(), "open " + title + ": " + patterns);
}

std::optional<juce::File> ScriptedDesktopServices::browseForFileToSave (Text title, Text patterns)
{
    const auto chosen = next (files, std::optional<juce::File>(), "save " + title + ": " + patterns);

    if (auto meanwhile = std::exchange (whileSaveDialogOpen, nullptr))
        meanwhile();

    return chosen;
}

std::optional<juce::String> ScriptedDesktopServices::askForEntry (Text title, Text message, Text allowed)
{
    // What the box's field would refuse cannot be typed.
    auto entry = next (entries, std::optional<juce::String>(), "entry " + title + ": " + message);
    return entry.has_value() ? std::optional<juce::String> (entry->retainCharacters (allowed)) : entry;
}

bool ScriptedDesktopServices::openDocument (const juce::File& document)
{
    log.add ("document " + document.getFullPathName());
    return true;
}
