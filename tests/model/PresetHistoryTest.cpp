#include "model/PresetHistory.h"
#include "HexFile.h"
#include "MessageLoop.h"

#include <gtest/gtest.h>

TEST (PresetHistory, StepsAndSavedState)
{
    const auto factory = HexFile::factoryBlock();
    KARVELOEditorPreset::Ptr preset = new KARVELOEditorPreset();
    preset->setData (factory);
    PresetHistory history{ preset };
    int changes = 0;
    history.onChange = [&] { ++changes; };
    const auto names = [&] { return history.getUndoName() + " / " + history.getRedoName(); };
    const auto cc = [&]
    { return static_cast<int> (preset->getKnob (7)->getParameterValue (ParameterNames::cc).getValue()); };

    // Each store into one parameter, as a box's accepted entry makes it, is a step named after it.
    const auto enter = [&] (MEditorControl& control, const juce::String& parameter, int number)
    {
        control.getParameterValue (parameter) = number;
        MessageLoop::drain();
    };
    enter (*preset->getKnob (7), ParameterNames::cc, 74);
    enter (*preset->getSwitch (16), ParameterNames::type, 1); // strip 1's solo button
    enter (*preset->getFader (8), ParameterNames::midiChannel, 3);
    EXPECT_EQ (changes, 3);
    ASSERT_TRUE (history.undo());
    EXPECT_EQ (names(), "Type of strip 1 solo button / Channel of master fader");
    ASSERT_TRUE (history.undo() && history.undo());
    EXPECT_EQ (preset->getData(), factory);
    EXPECT_FALSE (history.canUndo() || history.hasUnsavedEdits()) << "back at the saved state";

    // The undone stores reach the values' listeners later; they are no new steps.
    MessageLoop::drain();
    ASSERT_TRUE (history.redo());
    EXPECT_EQ (cc(), 74);

    // Saving moves the saved state; undoing past it is an unsaved edit again.
    history.markSaved();
    EXPECT_FALSE (history.hasUnsavedEdits());
    history.undo();
    EXPECT_TRUE (history.hasUnsavedEdits());

    // A new entry drops what could have been redone; one not yet heard of when a reply arrives stays
    // a step of its own, before the load, which is one step.
    preset->getKnob (7)->getParameterValue (ParameterNames::cc) = 75;
    ASSERT_TRUE (preset->setData (factory));
    EXPECT_EQ (names(), "Load From Hardware / ");
    ASSERT_TRUE (history.undo());
    EXPECT_EQ (cc(), 75);
    EXPECT_EQ (names(), "CC of strip 3 knob 2 / Load From Hardware");

    // The same block again changes nothing and is no step; an invalid one is refused.
    const auto before = preset->getData();
    EXPECT_TRUE (history.perform ("Set Every Channel", before));
    EXPECT_FALSE (history.perform ("Set Every Channel", ByteArray (before.begin(), 137)));
    EXPECT_EQ (names(), "CC of strip 3 knob 2 / Load From Hardware");

    ASSERT_TRUE (history.perform ("Set Every Channel", factory));
    MessageLoop::drain();
    EXPECT_EQ (names(), "Set Every Channel / ");
    ASSERT_TRUE (history.undo());
    EXPECT_EQ (preset->getData(), before);

    // A file opened into the window starts a new history.
    history.reset();
    EXPECT_FALSE (history.canUndo() || history.canRedo() || history.hasUnsavedEdits());
}
