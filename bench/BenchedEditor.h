#pragma once

#include "DialogsRefused.h"

#include <cstdio>
#include <cstdlib>

/** Desktop services for the benchmarks: every question answered No or Cancel, every dialog
    cancelled, nothing shown. A warning means the run went wrong: it is printed and ends the run. */
class QuietDesktopServices : public DialogsRefused<DesktopServices>
{
public:
    Answer askYesNoCancel (const juce::String&, const juce::String&) override { return Answer::no; }

    void showWarning (const juce::String&, const juce::String& message) override
    {
        std::fprintf (stderr, "unexpected warning: %s\n", message.toRawUTF8());
        std::exit (1);
    }

    void showNativeMessage (const juce::String&, const juce::String&) override {}
};

#include "MessageLoop.h"
#include "SimulatedKarvelo.h"
#include "app/KarveloEditorApplication.h"
#include "ui/MainContentComponent.h"

/** The real application on the simulated controller with quiet desktop services, started and
    settled, with its first window and panel: what the benchmarks measure. */
struct BenchedEditor
{
    BenchedEditor() { MessageLoop::runFor (300); }

    ~BenchedEditor()
    {
        window = nullptr;
        app.shutdown();
    }

    std::shared_ptr<VirtualMidiSystem> system = VirtualMidiSystem::create();
    SimulatedKarvelo controller{ system };
    KarveloEditorApplication app{ [this] { return system->createLayer(); },
                                  std::make_unique<QuietDesktopServices>() };
    MainWindow::Ptr window = [this]
    {
        app.initialise ({});
        return app.getWindowManager()->getWindows().getFirst();
    }();
    MainContentComponent& panel = dynamic_cast<MainContentComponent&> (*window->getContentComponent());
};
