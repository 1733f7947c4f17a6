#include "SimulatedKarvelo.h"

namespace
{
constexpr juce::uint8 sendPresetCommand = 0x64;
constexpr juce::uint8 requestPresetCommand = 0x66;
constexpr int blockSize = 138;
constexpr int headerSize = 7;

juce::MidiMessage sysEx (const ByteArray& withoutFrame)
{
    return juce::MidiMessage::createSysExMessage (withoutFrame.begin(), withoutFrame.size());
}
} // namespace

SimulatedKarvelo::SimulatedKarvelo (std::shared_ptr<VirtualMidiSystem> s, const juce::String& portName)
    : system (std::move (s))
    , name (portName)
{
    block.insertMultiple (0, 0, blockSize);
    thread = std::thread ([this] { run(); });
    plugIn();
}

SimulatedKarvelo::~SimulatedKarvelo()
{
    {
        const std::lock_guard<std::mutex> sl (lock);
        stopping = true;
    }

    changed.notify_all();
    thread.join();
    unplug();
}

void SimulatedKarvelo::plugIn()
{
    const std::lock_guard<std::mutex> sl (lock);

    if (toEditor != nullptr)
        return;

    toEditor = system->plugInput (name);
    fromEditor = system->plugOutput (name);
    fromEditor->setReceiver ([this] (const juce::MidiMessage& m) { receive (m); });
}

void SimulatedKarvelo::unplug()
{
    std::shared_ptr<VirtualMidiSystem::InputDevice> input;
    std::shared_ptr<VirtualMidiSystem::OutputDevice> output;

    {
        const std::lock_guard<std::mutex> sl (lock);
        input = std::move (toEditor);
        output = std::move (fromEditor);
        toEditor = nullptr;
        fromEditor = nullptr;
    }

    if (output != nullptr)
    {
        output->setReceiver (nullptr);
        system->unplug (output);
    }

    if (input != nullptr)
        system->unplug (input);
}

bool SimulatedKarvelo::isPluggedIn() const
{
    const std::lock_guard<std::mutex> sl (lock);
    return toEditor != nullptr;
}

void SimulatedKarvelo::setAnswerDelay (int milliseconds)
{
    const std::lock_guard<std::mutex> sl (lock);
    answerDelay = milliseconds;
}

void SimulatedKarvelo::setFaults (Faults f)
{
    const std::lock_guard<std::mutex> sl (lock);
    faults = f;
}

ByteArray SimulatedKarvelo::getBlock() const
{
    const std::lock_guard<std::mutex> sl (lock);
    return block;
}

void SimulatedKarvelo::setBlock (const ByteArray& newBlock)
{
    jassert (newBlock.size() == blockSize);
    const std::lock_guard<std::mutex> sl (lock);
    block = newBlock;
}

std::shared_ptr<VirtualMidiSystem::InputDevice> SimulatedKarvelo::getEditorInput() const
{
    const std::lock_guard<std::mutex> sl (lock);
    return toEditor;
}

std::shared_ptr<VirtualMidiSystem::OutputDevice> SimulatedKarvelo::getEditorOutput() const
{
    const std::lock_guard<std::mutex> sl (lock);
    return fromEditor;
}

void SimulatedKarvelo::sendFromController (const juce::MidiMessage& message)
{
    if (auto input = getEditorInput())
        input->send (message);
}

void SimulatedKarvelo::receive (const juce::MidiMessage& message)
{
    {
        const std::lock_guard<std::mutex> sl (lock);
        jobs.push_back ({ ByteArray (message.getRawData(), message.getRawDataSize()),
                          juce::Time::getMillisecondCounter() + static_cast<juce::uint32> (answerDelay) });
    }

    changed.notify_all();
}

bool SimulatedKarvelo::waitUntilIdle (int timeoutMilliseconds)
{
    {
        std::unique_lock<std::mutex> sl (lock);

        if (! changed.wait_for (sl, std::chrono::milliseconds (timeoutMilliseconds),
                                [this] { return jobs.empty() && ! working; }))
            return false;
    }

    if (auto input = getEditorInput())
        return input->waitUntilIdle (timeoutMilliseconds);

    return true;
}

void SimulatedKarvelo::run()
{
    std::unique_lock<std::mutex> sl (lock);

    for (;;)
    {
        changed.wait (sl, [this] { return stopping || ! jobs.empty(); });

        if (stopping)
            return;

        const auto now = juce::Time::getMillisecondCounter();
        const auto due = jobs.front().due;

        if (static_cast<int> (due - now) > 0)
        {
            changed.wait_for (sl, std::chrono::milliseconds (static_cast<int> (due - now)));
            continue;
        }

        const auto message = jobs.front().message;
        jobs.pop_front();
        working = true;
        sl.unlock();

        answer (message);

        sl.lock();
        working = false;
        changed.notify_all();
    }
}

void SimulatedKarvelo::answer (const ByteArray& message)
{
    if (message.size() < 5 || message[0] != 0xf0)
        return;

    Faults currentFaults;
    {
        const std::lock_guard<std::mutex> sl (lock);
        currentFaults = faults;
    }

    const auto command = message[4];

    if (command == sendPresetCommand)
    {
        ++sendsReceived;

        if (message.size() == headerSize + blockSize + 1)
        {
            const std::lock_guard<std::mutex> sl (lock);
            block = ByteArray (message.begin() + headerSize, blockSize);
        }
    }
    else if (command == requestPresetCommand)
    {
        ++requestsReceived;
    }
    else
    {
        return;
    }

    if (currentFaults.unplugDuringTransfer)
    {
        unplug();
        return;
    }

    if (currentFaults.noAnswer)
        return;

    if (currentFaults.knobChatter)
        chatter();

    if (command == sendPresetCommand)
    {
        sendFromController (sysEx ({ 0x47, 0x00, 0x31, 0x11, 0x00, 0x02, 0x00, 0x00 }));
    }
    else
    {
        ByteArray reply{ 0x47, 0x00, 0x31, 0x67, 0x01, 0x0a };
        reply.addArray (getBlock());

        if (currentFaults.corruptedReply)
            reply.set (reply.size() - 1, 0x80);

        if (currentFaults.wrongLengthReply)
            reply.removeLast();

        sendFromController (sysEx (reply));
    }

    ++answersSent;

    if (currentFaults.knobChatter)
        chatter();
}

void SimulatedKarvelo::chatter()
{
    sendFromController (juce::MidiMessage::controllerEvent (1, 16, 64));
    sendFromController (juce::MidiMessage::noteOn (1, 1, static_cast<juce::uint8> (127)));
    sendFromController (juce::MidiMessage::noteOff (1, 1));
    sendFromController (juce::MidiMessage::controllerEvent (1, 62, 0));
}
