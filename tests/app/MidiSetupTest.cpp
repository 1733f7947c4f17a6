#include "ApplicationFixture.h"
#include "app/CommandIDs.h"

namespace
{
juce::StringArray rowsOf (juce::ListBox& list)
{
    juce::StringArray rows;

    for (int row = 0; row < list.getModel()->getNumRows(); ++row)
        rows.add (juce::String (list.isRowSelected (row) ? "*" : "")
                  + dynamic_cast<MidiDeviceListBoxModel&> (*list.getModel()).deviceNames[row]);

    return rows;
}

using MidiSetup = ApplicationFixture;
} // namespace

TEST_F (MidiSetup, ListsFollowDevices)
{
    const auto drums = system->plugInput ("Drum Pads");
    start();
    invoke (CommandIDs::midiSetup);
    auto& panel = app->getMidiSetupWindow()->getPanel();
    EXPECT_EQ (rowsOf (panel.getInputList()).joinIntoString (", "), "*Karvelo, Drum Pads");

    // The user picks the pads; a device plugged in meanwhile joins the list, the choice stays.
    panel.getInputList().selectRow (1);
    const auto keys = system->plugInput ("Keys");
    const auto refreshed = [&] (const juce::String& expected)
    {
        return MessageLoop::runUntil (
            [&] { return rowsOf (panel.getInputList()).joinIntoString (", ") == expected; });
    };
    EXPECT_TRUE (refreshed ("Karvelo, *Drum Pads, Keys"))
        << rowsOf (panel.getInputList()).joinIntoString (", ");
    EXPECT_EQ (panel.getSelectedInputDeviceName(), "Drum Pads");

    // The chosen device pulled out: nothing is chosen, the others stay listed.
    system->unplug (drums);
    EXPECT_TRUE (refreshed ("Karvelo, Keys")) << rowsOf (panel.getInputList()).joinIntoString (", ");
    EXPECT_EQ (panel.getSelectedInputDeviceName(), "");
    EXPECT_EQ (panel.getInputListMessage(), "");

    // Nothing left: the list says so, and how to find out why.
    system->unplug (keys);
    system->unplug (controller.getEditorInput());
    EXPECT_TRUE (MessageLoop::runUntil ([&] { return panel.getInputListMessage().isNotEmpty(); }));
    EXPECT_TRUE (panel.getInputListMessage().startsWith ("No MIDI inputs found"))
        << panel.getInputListMessage();
    EXPECT_TRUE (panel.getInputListMessage().contains ("audio group"));
    EXPECT_EQ (panel.getOutputListMessage(), "") << "the controller's output is still there";
}
