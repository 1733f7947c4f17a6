#include "engine/MidiManager.h"
#include "MessageLoop.h"
#include "MidiListenerRecorder.h"
#include "VirtualMidiDevices.h"

#include <gtest/gtest.h>

namespace
{
class MidiManagerTest : public ::testing::Test
{
protected:
    MidiManagerTest() { manager->addListener (&listener); }

    // Lets the poll run that many more times, from the next pass to its end.
    void runPolls (int polls = 2)
    {
        const auto calls = system->getNumListCalls();
        ASSERT_TRUE (MessageLoop::runUntil ([&] { return system->getNumListCalls() >= calls + 2 * polls; }));
    }

    std::shared_ptr<VirtualMidiSystem> system = VirtualMidiSystem::create();
    MidiListenerRecorder listener; // outlives the manager
    MidiManager::Ptr manager{ new MidiManager (system->createLayer(), 5) };
};
} // namespace

TEST_F (MidiManagerTest, OpensAllOfName)
{
    // Which devices a name means is the table below; here every one of them opens, but for those that
    // throw or yield nothing (both directions share that code). (What an input hears: the ALSA tests.)
    system->plugInput ("Karvelo");
    system->plugInput ("Karvelo");
    system->plugInput ("Karvelo", { true, false }); // opening throws
    system->plugInput ("Karvelo", { false, true }); // opening yields nothing
    auto first = system->plugOutput ("Karvelo");
    auto second = system->plugOutput ("Karvelo");
    manager->openMidiInput ("Karvelo");
    manager->openMidiOutput ("Karvelo");
    manager->openMidiInput ("Karvelo");
    EXPECT_EQ (manager->getOpenMidiInputNames(), juce::StringArray ("Karvelo", "Karvelo"));
    EXPECT_EQ (system->getNumOpenPorts(), 4); // and both outputs get what is sent, below

    manager->sendMidiMessage (juce::MidiMessage::noteOn (1, 60, static_cast<juce::uint8> (100)));
    manager->closeAllMidiInputs();
    manager->closeAllMidiOutputs();
    EXPECT_EQ (first->getReceived().size(), 1u);
    EXPECT_EQ (second->getReceived(), first->getReceived());
    EXPECT_EQ (system->getNumOpenPorts(), 0);
}

TEST_F (MidiManagerTest, UnplugAndReplug)
{
    auto input = system->plugInput ("Karvelo"), chatter = system->plugInput ("Chatter");
    auto output = system->plugOutput ("Karvelo");
    manager->openMidiInput ("Karvelo");
    manager->openMidiOutput ("Karvelo");
    manager->openMidiInput ("Absent"); // a name never found is not awaited
    system->plugInput ("Absent");

    system->unplug (input);
    system->unplug (output);
    runPolls (1);
    EXPECT_EQ (system->getNumOpenPorts(), 0);

    // Other ports chosen meanwhile; a device keeps an input thread delivering while the poll reports.
    manager->closeAllMidiInputs();
    manager->openMidiInput ("Chatter");
    std::atomic<bool> stop{ false };
    std::thread sending (
        [&]
        {
            for (; ! stop; std::this_thread::sleep_for (std::chrono::microseconds (50)))
                chatter->send (juce::MidiMessage::controllerEvent (1, 7, 100));
        });

    for (int i = 0; i < 20; ++i)
    {
        input = system->plugInput ("Karvelo");
        output = system->plugOutput ("Karvelo");
        runPolls();
        EXPECT_EQ (manager->getOpenMidiInputNames(), juce::StringArray ("Chatter", "Karvelo"));
        system->unplug (input);
        system->unplug (output);
        runPolls();
    }

    input = system->plugInput ("Karvelo");
    output = system->plugOutput ("Karvelo");
    runPolls();
    stop = true;
    sending.join();
    ASSERT_TRUE (chatter->waitUntilIdle());

    // Every unplugging and every replugging reported once each way. (That the ports work again: the
    // ALSA tests.)
    for (auto& names : listener.reports)
        EXPECT_EQ (names.joinIntoString (" ") + " ", juce::String::repeatedString ("Karvelo ", 21));
}

TEST_F (MidiManagerTest, OpensNumberedPortByName)
{
    // Every device of exactly the name; without one, the first that Linux's USB MIDI driver names
    // after it: the name, " MIDI " and a number.
    juce::StringArray listed ("", "karvelo MIDI 1", "Karvelo MIDI", "Karvelo MIDI 1x", "Karvelo MIDI  1",
                              "Karvelo 1", "Karvelo MIDI 2", "Karvelo MIDI 1");
    EXPECT_EQ (MidiManager::findDevicesNamed ("Karvelo", listed), juce::Array<int> (6));
    EXPECT_TRUE (MidiManager::findDevicesNamed ("", listed).isEmpty());
    listed.addArray ({ "Karvelo", "karvelo", "KARVELO", "Karvelo 2", "Karvelo" });
    EXPECT_EQ (MidiManager::findDevicesNamed ("Karvelo", listed), juce::Array<int> (8, 12));

    auto input = system->plugInput ("Karvelo MIDI 2"), second = system->plugInput ("Karvelo MIDI 1");
    auto output = system->plugOutput ("Karvelo MIDI 1");
    manager->openMidiInput ("Karvelo");
    manager->openMidiOutput ("Karvelo");
    EXPECT_EQ (manager->getOpenMidiInputNames(), juce::StringArray ("Karvelo MIDI 2")); // outputs: below

    system->unplug (input);
    system->unplug (second);
    system->unplug (output);
    runPolls();

    // Back under another number: the name finds it again. A device of exactly the name comes first.
    // Reported by the names of the devices (both directions go the same way; how often: the test above).
    system->plugInput ("Karvelo MIDI 3");
    system->plugInput ("Karvelo");
    system->plugOutput ("Karvelo MIDI 3");
    runPolls();
    EXPECT_EQ (manager->getOpenMidiInputNames(), juce::StringArray ("Karvelo"));
    EXPECT_EQ (manager->getOpenMidiOutputNames(), juce::StringArray ("Karvelo MIDI 3"));
    EXPECT_EQ (listener.reports[0], juce::StringArray ("Karvelo MIDI 2"));
    EXPECT_EQ (listener.reports[3], juce::StringArray ("Karvelo MIDI 3"));
}
