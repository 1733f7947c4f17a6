#include "SimulatedKarvelo.h"

constexpr juce::uint8 sendPresetCommand = 0x64, requestPresetCommand = 0x66;
constexpr int blockSize = 138, headerSize = 7;

SimulatedKarvelo::SimulatedKarvelo (std::shared_ptr<VirtualMidiSystem> s)
    : system (std::move (s))
{
    block.insertMultiple (0, 0, blockSize);
    plugIn();
}

void SimulatedKarvelo::plugIn()
{
    const std::lock_guard<std::mutex> sl (lock);

    if (toEditor != nullptr)
        return;

    toEditor = system->plugInput ("Karvelo");
    fromEditor = system->plugOutput ("Karvelo");
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

void SimulatedKarvelo::answer (const ByteArray& message)
{
    const auto command = message.size() > 4 && message[0] == 0xf0 ? message[4] : 0;
    const bool isSend = command == sendPresetCommand, isRequest = command == requestPresetCommand;
    ByteArray answer{ 0x47, 0x00, 0x31, 0x11, 0x00, 0x02, 0x00, 0x00 }; // the acknowledgement
    std::unique_lock<std::mutex> sl (lock);
    const auto f = faults;

    if (isSend && message.size() == headerSize + blockSize + 1)
        block = ByteArray (message.begin() + headerSize, blockSize);

    if (isRequest)
    {
        answer = { 0x47, 0x00, 0x31, 0x67, 0x01, 0x0a };
        answer.addArray (block);

        if (f.corruptedReply)
            answer.set (answer.size() - 1, 0x80);

        if (f.wrongLengthReply)
            answer.removeLast();
    }

    sl.unlock();

    if (f.unplugDuringTransfer && (isSend || isRequest))
        return unplug();

    if (f.noAnswer || ! (isSend || isRequest))
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
    sendFromController (juce::MidiMessage::createSysExMessage (answer.begin(), answer.size()), delay);
    chatter();
}
