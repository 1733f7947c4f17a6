#include "engine/MidiManager.h"
#include "MessageLoop.h"
#include "VirtualMidiDevices.h"

#include <gtest/gtest.h>

namespace
{
struct RecordingListener : MidiManager::Listener
{
    void handleIncomingMidiMessage (MidiDeviceLayer::Input*, const juce::MidiMessage& message) override
    {
        const std::lock_guard<std::mutex> sl (lock);
        received.emplace_back (message.getRawData(), message.getRawDataSize());
        onMessageThread = onMessageThread || juce::MessageManager::getInstance()->isThisTheMessageThread();

        if (order != nullptr)
            order->push_back (id);
    }

    void midiInputDevicesDisconnected (juce::StringArray names) override { inputsGone.push_back (names); }
    void midiOutputDevicesDisconnected (juce::StringArray names) override { outputsGone.push_back (names); }
    void midiInputDevicesReconnected (juce::StringArray names) override { inputsBack.push_back (names); }
    void midiOutputDevicesReconnected (juce::StringArray names) override { outputsBack.push_back (names); }

    size_t numReceived() const
    {
        const std::lock_guard<std::mutex> sl (lock);
        return received.size();
    }

    mutable std::mutex lock;
    std::vector<ByteArray> received;
    bool onMessageThread = false;
    std::vector<int>* order = nullptr;
    int id = 0;
    std::vector<juce::StringArray> inputsGone, outputsGone, inputsBack, outputsBack;
};

class MidiManagerTest : public ::testing::Test
{
protected:
    MidiManagerTest()
        : system (VirtualMidiSystem::create())
        , manager (new MidiManager (system->createLayer(), 5))
    {
        manager->addListener (&listener);
    }

    ~MidiManagerTest() override { manager->removeListener (&listener); }

    /** Lets the poll run once more, from the next pass to its end. */
    void runOnePoll()
    {
        const auto calls = system->getNumListCalls();
        ASSERT_TRUE (MessageLoop::runUntil ([&] { return system->getNumListCalls() >= calls + 2; }));
    }

    std::shared_ptr<VirtualMidiSystem> system;
    MidiManager::Ptr manager;
    RecordingListener listener;
};
} // namespace

TEST_F (MidiManagerTest, OpensEveryDeviceOfExactlyThatNameOnce)
{
    system->plugInput ("Karvelo");
    system->plugInput ("karvelo");
    system->plugInput ("Karvelo");
    system->plugInput ("Karvelo 2");
    auto first = system->plugOutput ("Karvelo");
    auto other = system->plugOutput ("KARVELO");
    auto second = system->plugOutput ("Karvelo");

    manager->openMidiInput ("Karvelo");
    manager->openMidiInput ("Karvelo");
    manager->openMidiOutput ("Karvelo");
    manager->openMidiOutput ("Karvelo");

    EXPECT_EQ (manager->getOpenMidiInputNames(), juce::StringArray ("Karvelo", "Karvelo"));
    EXPECT_EQ (manager->getOpenMidiOutputNames(), juce::StringArray ("Karvelo", "Karvelo"));
    EXPECT_EQ (system->getNumOpenInputPorts(), 2);

    const auto note = juce::MidiMessage::noteOn (1, 60, static_cast<juce::uint8> (100));
    manager->sendMidiMessage (note);
    const ByteArray noteBytes (note.getRawData(), note.getRawDataSize());
    EXPECT_EQ (first->getReceived(), std::vector<ByteArray>{ noteBytes });
    EXPECT_EQ (second->getReceived(), std::vector<ByteArray>{ noteBytes });
    EXPECT_TRUE (other->getReceived().empty());

    manager->closeAllMidiInputs();
    manager->closeAllMidiOutputs();
    EXPECT_EQ (manager->getNumOpenMidiInputs(), 0);
    EXPECT_EQ (manager->getNumOpenMidiOutputs(), 0);
    EXPECT_EQ (system->getNumOpenInputPorts(), 0);
    EXPECT_EQ (system->getNumOpenOutputPorts(), 0);

    manager->sendMidiMessage (note);
    EXPECT_EQ (first->getReceived().size(), 1u);
}

TEST_F (MidiManagerTest, DeviceThatThrowsOrYieldsNothingIsSkipped)
{
    system->plugInput ("Karvelo", { true, false });
    system->plugInput ("Karvelo");
    system->plugInput ("Karvelo", { false, true });
    system->plugOutput ("Karvelo", { false, true });

    manager->openMidiInput ("Karvelo");
    manager->openMidiOutput ("Karvelo");

    EXPECT_EQ (manager->getNumOpenMidiInputs(), 1);
    EXPECT_EQ (manager->getNumOpenMidiOutputs(), 0);
}

TEST_F (MidiManagerTest, AbsentNameOpensNothingAndIsNotAwaited)
{
    manager->openMidiInput ("Karvelo");
    manager->openMidiOutput ("Karvelo");

    system->plugInput ("Karvelo");
    system->plugOutput ("Karvelo");
    runOnePoll();
    runOnePoll();

    EXPECT_EQ (manager->getNumOpenMidiInputs(), 0);
    EXPECT_EQ (manager->getNumOpenMidiOutputs(), 0);
    EXPECT_TRUE (manager->getAwaitedMidiInputNames().isEmpty());
    EXPECT_TRUE (listener.inputsBack.empty());
}

TEST_F (MidiManagerTest, IncomingMessagesReachEveryListenerNewestFirstOnTheInputThread)
{
    std::vector<int> order;
    RecordingListener second;
    listener.order = second.order = &order;
    listener.id = 1;
    second.id = 2;
    manager->addListener (&second);
    manager->addListener (&listener); // already there: stays first

    auto device = system->plugInput ("Karvelo");
    manager->openMidiInput ("Karvelo");
    device->send (juce::MidiMessage::controllerEvent (1, 16, 64));
    ASSERT_TRUE (device->waitUntilIdle());

    EXPECT_EQ (order, (std::vector<int>{ 2, 1 }));
    EXPECT_EQ (listener.received, (std::vector<ByteArray>{ ByteArray{ 0xb0, 16, 64 } }));
    EXPECT_FALSE (listener.onMessageThread);

    manager->removeListener (&second);
}

TEST_F (MidiManagerTest, UnplugClosesWithinOnePollAndReplugReopens)
{
    auto input = system->plugInput ("Karvelo");
    auto output = system->plugOutput ("Karvelo");
    manager->openMidiInput ("Karvelo");
    manager->openMidiOutput ("Karvelo");

    system->unplug (input);
    system->unplug (output);
    runOnePoll();

    EXPECT_EQ (manager->getNumOpenMidiInputs(), 0);
    EXPECT_EQ (manager->getNumOpenMidiOutputs(), 0);
    EXPECT_EQ (input->getNumOpenPorts(), 0);
    EXPECT_EQ (output->getNumOpenPorts(), 0);
    EXPECT_EQ (manager->getAwaitedMidiInputNames(), juce::StringArray ("Karvelo"));
    EXPECT_EQ (manager->getAwaitedMidiOutputNames(), juce::StringArray ("Karvelo"));

    runOnePoll();
    runOnePoll();
    ASSERT_EQ (listener.inputsGone.size(), 1u);
    ASSERT_EQ (listener.outputsGone.size(), 1u);
    EXPECT_EQ (listener.inputsGone[0], juce::StringArray ("Karvelo"));
    EXPECT_EQ (listener.outputsGone[0], juce::StringArray ("Karvelo"));
    EXPECT_TRUE (listener.inputsBack.empty());

    auto newInput = system->plugInput ("Karvelo");
    auto newOutput = system->plugOutput ("Karvelo");
    runOnePoll();
    runOnePoll();

    EXPECT_EQ (manager->getOpenMidiInputNames(), juce::StringArray ("Karvelo"));
    EXPECT_EQ (manager->getOpenMidiOutputNames(), juce::StringArray ("Karvelo"));
    EXPECT_TRUE (manager->getAwaitedMidiInputNames().isEmpty());
    ASSERT_EQ (listener.inputsBack.size(), 1u);
    ASSERT_EQ (listener.outputsBack.size(), 1u);
    EXPECT_EQ (listener.outputsBack[0], juce::StringArray ("Karvelo"));

    newInput->send (juce::MidiMessage::noteOn (1, 1, static_cast<juce::uint8> (1)));
    ASSERT_TRUE (newInput->waitUntilIdle());
    EXPECT_EQ (listener.numReceived(), 1u);
    manager->sendMidiMessage (juce::MidiMessage::noteOff (1, 1));
    EXPECT_EQ (newOutput->getReceived().size(), 1u);
}

TEST_F (MidiManagerTest, AwaitedNameIsReopenedAfterOtherPortsWereChosen)
{
    auto controller = system->plugInput ("Karvelo");
    system->plugInput ("Other");
    manager->openMidiInput ("Karvelo");

    system->unplug (controller);
    runOnePoll();

    manager->closeAllMidiInputs();
    manager->openMidiInput ("Other");
    EXPECT_EQ (manager->getAwaitedMidiInputNames(), juce::StringArray ("Karvelo"));

    system->plugInput ("Karvelo");
    runOnePoll();

    EXPECT_EQ (manager->getOpenMidiInputNames(), juce::StringArray ("Other", "Karvelo"));
}

TEST_F (MidiManagerTest, RemovedListenerHearsNothingMoreWhileMessagesFlow)
{
    auto device = system->plugInput ("Karvelo");
    manager->openMidiInput ("Karvelo");

    for (int i = 0; i < 2000; ++i)
        device->send (juce::MidiMessage::controllerEvent (1, 1, i % 128));

    MessageLoop::runUntil ([&] { return listener.numReceived() > 10; });
    manager->removeListener (&listener);
    const auto heard = listener.numReceived();

    ASSERT_TRUE (device->waitUntilIdle());
    EXPECT_EQ (listener.numReceived(), heard);
}

TEST_F (MidiManagerTest, DestroyingTheManagerClosesEveryPort)
{
    system->plugInput ("Karvelo");
    system->plugOutput ("Karvelo");
    manager->openMidiInput ("Karvelo");
    manager->openMidiOutput ("Karvelo");
    manager->removeListener (&listener);

    manager = nullptr;

    EXPECT_EQ (system->getNumOpenInputPorts(), 0);
    EXPECT_EQ (system->getNumOpenOutputPorts(), 0);
    manager = new MidiManager (system->createLayer(), 5);
}

TEST_F (MidiManagerTest, DeviceEventsAreReportedWhileMessagesKeepArriving)
{
    auto chatter = system->plugInput ("Chatter");
    auto controller = system->plugInput ("Karvelo");
    manager->openMidiInput ("Chatter");
    manager->openMidiInput ("Karvelo");

    // Another device keeps the input thread busy delivering while the poll reports on the message
    // thread.
    std::atomic<bool> stop{ false };
    std::thread sending (
        [&]
        {
            while (! stop)
            {
                chatter->send (juce::MidiMessage::controllerEvent (1, 7, 100));
                std::this_thread::sleep_for (std::chrono::microseconds (50));
            }
        });

    for (int i = 0; i < 20; ++i)
    {
        system->unplug (controller);
        runOnePoll();
        runOnePoll();
        controller = system->plugInput ("Karvelo");
        runOnePoll();
        runOnePoll();
    }

    stop = true;
    sending.join();
    MessageLoop::drain();

    EXPECT_EQ (listener.inputsGone.size(), 20u);
    EXPECT_EQ (listener.inputsBack.size(), 20u);
    EXPECT_EQ (manager->getOpenMidiInputNames(), juce::StringArray ("Chatter", "Karvelo"));
    EXPECT_GT (listener.numReceived(), 0u);
}
