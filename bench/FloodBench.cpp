// A device that floods: 10,000 controller messages a second for 10 s into the editor's MIDI input,
// with the real application on the simulated controller, once with the MIDI Monitor closed and once
// with it open. Meanwhile the message thread is asked, every 20 ms, to run a small task, and every
// 100 ms an entry is stored into a box as typing would: reported are how long the task waited, how
// long until the box had repainted after the entry, and how the process's memory moved.

#include "BenchedEditor.h"
#include "MessageLoop.h"
#include "SimulatedKarvelo.h"
#include "app/CommandIDs.h"
#include "app/KarveloEditorApplication.h"
#include "ui/MainContentComponent.h"

#include <algorithm>
#include <cstdio>
#include <thread>

namespace
{
constexpr int messagesPerSecond = 10000, seconds = 10;

double now()
{
    return juce::Time::highResolutionTicksToSeconds (juce::Time::getHighResolutionTicks()) * 1000.0;
}

double percentile (std::vector<double> values, double p)
{
    if (values.empty())
        return 0.0;

    std::sort (values.begin(), values.end());
    return values[std::min (values.size() - 1, static_cast<size_t> (p * (double) values.size()))];
}

long residentKiB()
{
    long pages = 0, resident = 0;

    if (auto* statm = std::fopen ("/proc/self/statm", "r"))
    {
        if (std::fscanf (statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;

        std::fclose (statm);
    }

    return resident * (sysconf (_SC_PAGESIZE) / 1024);
}

/** Notes when it is painted: laid over a box, it is repainted with it. */
class PaintProbe : public juce::Component
{
public:
    PaintProbe() { setInterceptsMouseClicks (false, false); }
    void paint (juce::Graphics&) override { lastPainted = now(); }
    double lastPainted = 0.0;
};

juce::JUCEApplicationBase* noApplication()
{
    return nullptr;
}

void flood (KarveloEditorApplication& app, MainContentComponent& panel, SimulatedKarvelo& controller,
            bool monitorOpen)
{
    if (monitorOpen)
        app.invoke (juce::ApplicationCommandTarget::InvocationInfo (CommandIDs::midiMonitor), false);

    auto& box = panel.getKnobView (0).getCcBox();
    PaintProbe probe;
    panel.addAndMakeVisible (probe);
    probe.setBounds (box.getBoundsInParent() + panel.getKnobView (0).getPosition());
    MessageLoop::runFor (200);

    const auto memoryBefore = residentKiB();
    std::atomic<bool> running{ true };
    std::thread feeder (
        [&]
        {
            // Bursts of ten every millisecond, paced by the clock rather than by sleeping alone.
            const auto start = now();

            for (int sent = 0; sent < messagesPerSecond * seconds && running;)
            {
                while (sent < (now() - start) * messagesPerSecond / 1000.0)
                    controller.sendFromController (juce::MidiMessage::controllerEvent (1, 7, sent++ % 128));

                std::this_thread::sleep_for (std::chrono::microseconds (500));
            }
        });

    std::vector<double> waits, repaints;
    long memoryPeak = memoryBefore;
    const auto start = now();
    int entry = 0;

    while (now() - start < seconds * 1000.0)
    {
        const auto asked = now();
        std::atomic<double> ran{ 0.0 };
        juce::MessageManager::callAsync ([&ran] { ran = now(); });
        MessageLoop::runUntil ([&] { return ran.load() > 0.0; });
        waits.push_back (ran.load() - asked);

        if (++entry % 5 == 0)
        {
            const auto typed = now();
            box.getTextValue() = juce::String (entry % 128);
            MessageLoop::runUntil ([&] { return probe.lastPainted > typed; }, 1000);
            repaints.push_back (probe.lastPainted - typed);
            memoryPeak = std::max (memoryPeak, residentKiB());
        }

        MessageLoop::runFor (20);
    }

    running = false;
    feeder.join();
    controller.getEditorInput()->waitUntilIdle (20000);
    MessageLoop::runFor (300);

    std::printf ("%-14s %9.2f %9.2f %12.2f %12.2f %12ld %12ld\n",
                 monitorOpen ? "monitor open" : "monitor closed", percentile (waits, 0.5),
                 percentile (waits, 0.99), percentile (repaints, 0.5), percentile (repaints, 1.0),
                 memoryPeak - memoryBefore, residentKiB() - memoryBefore);

    panel.removeChildComponent (&probe);
}
} // namespace

int main()
{
    juce::JUCEApplicationBase::createInstance = &noApplication;
    const juce::ScopedJuceInitialiser_GUI juceInitialiser;

    BenchedEditor editor;
    auto& [system, controller, app, window, panel] = editor;

    std::printf ("%d controller messages a second for %d s into the editor's input\n\n", messagesPerSecond,
                 seconds);
    std::printf ("%-14s %9s %9s %12s %12s %12s %12s\n", "", "task p50", "task p99", "repaint p50",
                 "repaint max", "RSS peak", "RSS after");
    std::printf ("%-14s %9s %9s %12s %12s %12s %12s\n", "", "(ms)", "(ms)", "(ms)", "(ms)", "(+KiB)",
                 "(+KiB)");
    flood (app, panel, controller, false);
    flood (app, panel, controller, true);

    return 0;
}
