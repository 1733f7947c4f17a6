#include "SimulatedKarvelo.h"

constexpr juce::uint8 sendPresetCommand = 0x64, requestPresetCommand = 0x66;
constexpr int blockSize = 138, headerSize = 7;

SimulatedKarvelo::SimulatedKarvelo (std::shared_ptr<VirtualMidiSystem> s, juce::String name)
    : system (std::move (s))
    , portName (std::move (name))
{
    block.insertMultiple (0, 0, blockSize);
    plugIn();
}

void SimulatedKarvelo::plugIn()
{
    const std::lock_guard<std::mutex> sl (lock);

    if (toEditor != nullptr)
        return;

    toEditor = system->plugInput (portName);
    fromEditor = system->plugOutput (portName);
    fromEditor->setReceiver ([this] (const juce::MidiMessage& m)
                             { answer (ByteArray (m.getRawData(), m.getRawDataSize())); });
}

void SimulatedKarvelo::unplug()
{
    std::shared_ptr<VirtualMidiDevice> input, output;

    {
        const std::lock_guard<std::mutex> sl (lock);
        input.swap (toEditor);
        output.swap (fromEditor);
    }

    if (output == nullptr)
        return;

    system->unplug (output); // it hands the controller nothing more
    system->unplug (input);
}

void SimulatedKarvelo::sendFromController (const juce::MidiMessage& message, int delayMilliseconds)
{
    if (auto input = getEditorInput())
        input->send (message, delayMilliseconds);
}

bool SimulatedKarvelo::waitUntilIdle (int timeoutMilliseconds)
{
    const auto input = getEditorInput();
    return input == nullptr || input->waitUntilIdle (timeoutMilliseconds);
}

ByteArray SimulatedKarvelo::answerTo (const ByteArray& message, ByteArray& storedBlock)
{
    const auto command = message.size() > 4 && message[0] == 0xf0 ? message[4] : 0;
    ByteArray answer;

    if (command == sendPresetCommand)
    {
        if (message.size() == headerSize + blockSize + 1)
            storedBlock = ByteArray (message.begin() + headerSize, blockSize);

        answer = { 0xf0, 0x47, 0x00, 0x31, 0x11, 0x00, 0x02, 0x00, 0x00, 0xf7 };
    }
    else if (command == requestPresetCommand)
    {
        answer = { 0xf0, 0x47, 0x00, 0x31, 0x67, 0x01, 0x0a };
        answer.addArray (storedBlock);
        answer.add (0xf7);
    }

    return answer;
}

void SimulatedKarvelo::answer (const ByteArray& message)
{
    std::unique_lock<std::mutex> sl (lock);
    const auto f = faults;
    auto answer = answerTo (message, block);
    sl.unlock();

    const bool isRequest = answer.size() > 4 && answer[4] == 0x67;

    if (isRequest && f.corruptedReply)
        answer.set (answer.size() - 2, 0x80);

    if (isRequest && f.wrongLengthReply)
        answer.remove (answer.size() - 2);

    if (f.noAnswer || answer.isEmpty())
        return;

    const int delay = answerDelay;
    const auto chatter = [&]
    {
        if (f.knobChatter)
            for (auto& knobOrButton :
                 { juce::MidiMessage::controllerEvent (1, 16, 64), juce::MidiMessage::noteOn (1, 1, 1.0f),
                   juce::MidiMessage::noteOff (1, 1), juce::MidiMessage::controllerEvent (1, 62, 0) })
                sendFromController (knobOrButton, delay);
    };

    chatter();
    sendFromController (juce::MidiMessage (answer.begin(), answer.size()), delay);
    chatter();
}
