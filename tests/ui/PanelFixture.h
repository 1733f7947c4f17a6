#pragma once

#include "GuiTestSupport.h"
#include "MessageLoop.h"
#include "ui/MainContentComponent.h"

#include <gtest/gtest.h>

/** A panel on the factory preset in a window, driven with keys, wheel and mouse through the window. */
class PanelFixture : public ::testing::Test
{
protected:
    PanelFixture()
    {
        // The window system's late word that the window has the focus would otherwise take it from
        // a box to the window; keys then go where they go when nothing has the focus: the window.
        window.setWantsKeyboardFocus (false);
        MessageLoop::drain();
    }

    void press (const juce::KeyPress& key)
    {
        GuiTestSupport::pressKeyInWindow (panel, key);
        MessageLoop::drain();
    }

    static juce::KeyPress key (int code, juce::ModifierKeys modifiers = {}) { return { code, modifiers, 0 }; }

    KARVELOEditorPreset::Ptr preset = GuiTestSupport::factoryPreset();
    MainContentComponent panel{ preset };
    GuiTestSupport::HostWindow window{ panel };
};
