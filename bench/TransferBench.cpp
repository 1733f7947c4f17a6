// The editor's own share of Load From Hardware and Send To Hardware, against the simulated
// controller on virtual MIDI devices, in one process with the real application object.
//
// Load: from the moment the controller's reply is handed to the editor's MIDI input (its last byte
// has arrived) until every view of the window holds the new values and the preset's conflicts have
// been checked and marked; and, reported beside it, until
// the window has also repainted (which on screen then waits for the display's next frame).
// Send: from the command until the last byte of the message is handed to the output.
// Both are compared with the 46.7 ms a 146-byte message takes on a 31,250-baud MIDI cable.

#include "BenchedEditor.h"
#include "MessageLoop.h"
#include "SimulatedKarvelo.h"
#include "app/CommandIDs.h"
#include "app/KarveloEditorApplication.h"
#include "ui/MainContentComponent.h"

#include <algorithm>
#include <cstdio>

namespace juce
{
// The call the application's own message loop makes on Linux: dispatches the next message, waiting
// for one when none is pending. (runDispatchLoopUntil sleeps a millisecond when the queue is
// empty, which a real editor never does.)
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

namespace
{
// Ten bits a byte at 31,250 baud.
constexpr double cableMilliseconds = KARVELOEditorEngine::replyLength * 10.0 / 31250.0 * 1000.0;

double now()
{
    return juce::Time::highResolutionTicksToSeconds (juce::Time::getHighResolutionTicks()) * 1000.0;
}

double median (std::vector<double> values)
{
    std::sort (values.begin(), values.end());
    return values[values.size() / 2];
}

void printRow (const char* name, const std::vector<double>& values, const char* target)
{
    const auto [lowest, highest] = std::minmax_element (values.begin(), values.end());
    const auto middle = median (values);
    std::printf ("%-38s %8.3f (%.3f - %.3f) %8.1f %%   %s\n", name, middle, *lowest, *highest,
                 100.0 * middle / cableMilliseconds, target);
}

/** A valid block whose every byte differs from the previous one's, so every view changes. */
ByteArray blockNumber (int run)
{
    ByteArray block;

    for (int i = 0; i < KARVELOEditorPreset::dataSize; ++i)
    {
        const bool isSwitch = i >= 66, isType = isSwitch && (i - 66) % 3 == 1;
        const bool isChannel = isSwitch ? (i - 66) % 3 == 0 : i % 2 == 0;
        block.add (static_cast<juce::uint8> (isType      ? run % 2
                                             : isChannel ? (run + i) % 16
                                                         : (run * 7 + i) % 128));
    }

    return block;
}

bool viewsShow (MainContentComponent& panel, const ByteArray& block)
{
    for (int i = 0; i < 24; ++i)
        if (panel.getKnobView (i).getCcBox().getValue() != block[2 * i + 1]
            || panel.getKnobView (i).getChannelBox().getValue() != block[2 * i] + 1)
            return false;

    for (int i = 0; i < 9; ++i)
        if (panel.getFaderView (i).getCcBox().getValue() != block[49 + 2 * i]
            || panel.getFaderView (i).getChannelBox().getValue() != block[48 + 2 * i] + 1)
            return false;

    for (int i = 0; i < 24; ++i)
    {
        auto& view = panel.getSwitchView (i);
        const auto offset = 66 + 3 * MainContentComponent::getPresetSwitchIndex (i);

        if (view.getChannelBox().getValue() != block[offset] + 1
            || view.getCcBox().getValue() != block[offset + 2]
            || view.getTypeButton().getToggleState() != (block[offset + 1] == 1))
            return false;
    }

    // The conflicts of the new preset are part of what the window shows.
    return ! panel.isConflictCheckPending();
}

/** Runs the message loop as the editor's own does until every view holds the block's values, and
    returns that moment; then repaints whatever the window still has to. */
__attribute__ ((noinline)) double waitUntilShown (MainWindow& window, MainContentComponent& panel,
                                                  const ByteArray& block)
{
    while (! viewsShow (panel, block))
        juce::dispatchNextMessageOnSystemQueue (false);

    const auto valuesShown = now();

    if (auto* peer = window.getPeer())
        peer->performAnyPendingRepaintsNow();

    return valuesShown;
}

juce::JUCEApplicationBase* noApplication()
{
    return nullptr;
}
} // namespace

int main (int argc, char* argv[])
{
    const auto runs = argc > 1 ? std::max (5, juce::String (argv[1]).getIntValue()) : 21;
    juce::JUCEApplicationBase::createInstance = &noApplication;
    const juce::ScopedJuceInitialiser_GUI juceInitialiser;

    BenchedEditor editor;
    auto& [system, controller, app, window, panel] = editor;

    std::vector<double> loads, loadsPainted, sends;

    // The controller's reply reaches the editor's input on the device's thread; that moment is
    // when its last byte has arrived.
    std::atomic<double> replyArrived{ 0.0 };
    controller.getEditorInput()->setDeliveryObserver (
        [&] (const juce::MidiMessage& message)
        {
            if (message.getRawDataSize() == KARVELOEditorEngine::replyLength)
                replyArrived = now();
        });

    for (int run = 0; run < runs; ++run)
    {
        const auto block = blockNumber (run + 1);
        controller.setBlock (block);
        replyArrived = 0.0;

        window->invoke (juce::ApplicationCommandTarget::InvocationInfo (CommandIDs::loadFromHardware), false);

        const auto valuesShown = waitUntilShown (*window, panel, block);
        const auto painted = now();

        loads.push_back (valuesShown - replyArrived.load());
        loadsPainted.push_back (painted - replyArrived.load());
        MessageLoop::runFor (20);
    }

    std::atomic<double> lastByteHanded{ 0.0 };
    controller.getEditorOutput()->setObserver ([&] (const juce::MidiMessage&) { lastByteHanded = now(); });

    for (int run = 0; run < runs; ++run)
    {
        const auto start = now();
        window->invoke (juce::ApplicationCommandTarget::InvocationInfo (CommandIDs::sendToHardware), false);
        sends.push_back (lastByteHanded.load() - start);
        MessageLoop::runFor (20);
    }

    std::printf (
        "\nmedian (min - max) of %d runs          editor (ms)              share of %.1f ms   target\n", runs,
        cableMilliseconds);
    printRow ("Load From Hardware, reply to views", loads, "<= 5 %");
    printRow ("  ... and the window repainted", loadsPainted, "");
    printRow ("Send To Hardware, command to output", sends, "<= 5 %");

    return 0;
}
