// Ten minutes (or SOAK_SECONDS) of the whole editor against the simulated controller: sends,
// requests, file saves and opens, edits typed into the views, windows opened and closed, the
// controller unplugged and plugged in again at random. Built with the address sanitizer.
//
// It ends by checking that every operation ended in exactly one result, that every file on disk is
// a valid 146-byte preset, that the heap did not grow after the first minute, and that nothing was
// reported (JUCE assertions; the sanitizers abort on their own). It prints the counts, and exits 0
// only when every check passed.

#include "MessageLoop.h"
#include "SimulatedKarvelo.h"
#include "X11Libraries.h"
#include "app/CommandIDs.h"
#include "app/KarveloEditorApplication.h"
#include "engine/PresetFile.h"
#include "ui/MainContentComponent.h"

#include <cstdlib>
#include <iostream>
#include <map>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KARVELO_HAS_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define KARVELO_HAS_ASAN 1
#endif

#if KARVELO_HAS_ASAN
// From the address sanitizer's runtime: the bytes its allocator has handed out and not taken back.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace
{
/** Live heap bytes as the sanitizer's allocator counts them, or the resident set otherwise. */
size_t heapInUse()
{
#if KARVELO_HAS_ASAN
    return __sanitizer_get_current_allocated_bytes();
#else
    juce::StringArray lines;
    juce::File ("/proc/self/status").readLines (lines);

    for (auto& line : lines)
        if (line.startsWith ("VmRSS:"))
            return static_cast<size_t> (
                       line.fromFirstOccurrenceOf (":", false, false).trim().getLargeIntValue())
                   * 1024;

    return 0;
#endif
}

/** Answers every question and dialog at random, as an unpredictable user would. */
class SoakDesktop : public DesktopServices
{
public:
    SoakDesktop (juce::Random& r, const juce::File& f)
        : random (r)
        , folder (f)
    {
    }

    Answer askYesNoCancel (const juce::String&, const juce::String&) override
    {
        ++questions;
        const auto roll = random.nextInt (10);
        lastAnswer = roll < 4 ? Answer::yes : roll < 9 ? Answer::no : Answer::cancel;
        return lastAnswer;
    }

    Answer askQuestion (const juce::String& title, const juce::String& message, const juce::String&,
                        const juce::String&, const juce::String&) override
    {
        return askYesNoCancel (title, message);
    }

    std::optional<juce::File> browseForFileToOpen (const juce::String&, const juce::String&) override
    {
        const auto files = folder.findChildFiles (juce::File::findFiles, false, "*.karvelo");

        if (files.isEmpty() || random.nextInt (8) == 0)
            return std::nullopt;

        return files[random.nextInt (files.size())];
    }

    std::optional<juce::File> browseForFileToSave (const juce::String&, const juce::String&) override
    {
        if (random.nextInt (8) == 0)
            return std::nullopt;

        ++filesChosenToSave;
        return folder.getChildFile ("preset-" + juce::String (random.nextInt (12)) + ".karvelo");
    }

    std::optional<juce::String> askForEntry (const juce::String&, const juce::String&,
                                             const juce::String&) override
    {
        return std::nullopt;
    }

    void showWarning (const juce::String&, const juce::String& message) override { ++warnings[message]; }
    void showNativeMessage (const juce::String&, const juce::String&) override {}
    bool openDocument (const juce::File&) override { return true; }
    void quit() override { ++quitRequests; }

    juce::Random& random;
    juce::File folder;
    int questions = 0, quitRequests = 0, filesChosenToSave = 0;
    Answer lastAnswer = Answer::cancel;
    std::map<juce::String, int> warnings;
};

/** Counts every result the engine delivers, by operation. */
struct ResultCounter : OrvikEditorEngine::Listener
{
    void sendPresetResult (EditorPreset::Ptr preset, int result) override
    {
        if (preset == nullptr)
            ++unmatchedAcknowledgements;
        else
            ++sends[result];
    }

    void requestPresetResult (int result) override { ++requests[result]; }
    void openPresetFileResult (int result) override { ++opens[result]; }
    void savePresetFileResult (int result) override { ++saves[result]; }

    static int total (const std::map<int, int>& counts)
    {
        int sum = 0;

        for (auto& [result, count] : counts)
            sum += count;

        return sum;
    }

    std::map<int, int> sends, requests, opens, saves;
    int unmatchedAcknowledgements = 0;
};

struct AssertionCounter : juce::Logger
{
    void logMessage (const juce::String& message) override
    {
        if (message.startsWith ("JUCE Assertion failure"))
        {
            ++failures;
            std::cerr << message << std::endl;
        }
    }

    int failures = 0;
};

juce::JUCEApplicationBase* noApplication()
{
    return nullptr;
}

void typeInto (NumberBoxComponent<int>& box, int number)
{
    box.showEditor();

    if (auto* editor = box.getCurrentTextEditor())
    {
        editor->selectAll();
        editor->insertTextAtCaret (juce::String (number));
        editor->keyPressed (juce::KeyPress (juce::KeyPress::returnKey));
    }
}

class Soak
{
public:
    Soak (int seconds, juce::int64 seed)
        : duration (seconds)
        , random (seed)
        , system (VirtualMidiSystem::create())
        , controller (system)
    {
        folder.createDirectory();

        // The recent files of the run are kept with its presets, not in the user's settings.
        setenv ("XDG_CONFIG_HOME", folder.getChildFile ("config").getFullPathName().toRawUTF8(), 1);
        auto services = std::make_unique<SoakDesktop> (random, folder);
        desktop = services.get();
        app = std::make_unique<KarveloEditorApplication> ([this] { return system->createLayer(); },
                                                          std::move (services), 300);
    }

    ~Soak() { folder.deleteRecursively(); }

    bool run()
    {
        app->initialise ({});
        app->getEngine()->addListener (&results);
        controller.setAnswerDelay (2);

        const auto start = juce::Time::getMillisecondCounter();
        const auto elapsed = [&]
        { return static_cast<int> (juce::Time::getMillisecondCounter() - start) / 1000; };
        int lastReport = -1;

        while (elapsed() < duration)
        {
            step();
            MessageLoop::runFor (random.nextInt (4));

            if (elapsed() >= std::min (60, duration / 2) && heapAfterFirstMinute == 0)
                heapAfterFirstMinute = measureHeap();

            if (elapsed() / 60 != lastReport)
            {
                lastReport = elapsed() / 60;
                std::cout << "minute " << lastReport << ": " << operations << " operations, heap "
                          << heapInUse() / 1024 << " KiB" << std::endl;
            }
        }

        // Let everything still pending end: the controller stays plugged in and answers from now on.
        controller.setFaults ({});
        controller.plugIn();
        MessageLoop::runFor (1500);
        MessageLoop::runUntil (
            [&]
            {
                auto engine = app->getEngine();
                return engine->getNumPendingSends() == 0 && engine->getNumPendingRequests() == 0;
            });
        MessageLoop::runFor (200);

        const auto heapAtEnd = measureHeap();
        const bool passed = report (heapAtEnd);

        app->getEngine()->removeListener (&results);
        app->shutdown();
        app = nullptr;
        MessageLoop::drain();
        return passed;
    }

    int assertionFailures = 0;

private:
    MainWindow* anyWindow()
    {
        auto windows = app->getWindowManager()->getWindows();
        return windows.isEmpty() ? nullptr : windows[random.nextInt (windows.size())].get();
    }

    static bool hasFile (const MainWindow& window)
    {
        return window.getFilePath().isNotEmpty() && juce::File (window.getFilePath()).existsAsFile();
    }

    /** Closes every window but the first without questions and lets everything pending happen,
        so that two measurements of the heap compare like with like. */
    size_t measureHeap()
    {
        auto windows = app->getWindowManager()->getWindows();

        for (int i = 1; i < windows.size(); ++i)
            app->getWindowManager()->removeWindow (windows[i].get());

        windows.clear();
        MessageLoop::runFor (300);
        return heapInUse();
    }

    void step()
    {
        // An unplugged controller comes back after a few operations.
        if (! controller.isPluggedIn() && random.nextInt (6) == 0)
            controller.plugIn();

        auto* window = anyWindow();

        if (window == nullptr)
        {
            app->invoke (juce::ApplicationCommandTarget::InvocationInfo (CommandIDs::newDocument), false);
            return;
        }

        auto& panel = *dynamic_cast<MainContentComponent*> (window->getContentComponent());
        const auto invokeOn = [&] (juce::CommandID command)
        { window->invoke (juce::ApplicationCommandTarget::InvocationInfo (command), false); };

        switch (random.nextInt (16))
        {
            case 0:
            case 1:
                ++sendsIssued;
                invokeOn (CommandIDs::sendToHardware);
                break;

            case 2:
            case 3:
                ++requestsIssued;
                invokeOn (CommandIDs::loadFromHardware);
                break;

            case 4:
            {
                // Save writes the window's own file, or goes to Save As when it has none; a
                // cancelled dialog saves nothing.
                const auto command = random.nextBool() ? CommandIDs::save : CommandIDs::saveAs;
                const auto writesWithoutDialog = command == CommandIDs::save && hasFile (*window);
                const auto chosenBefore = desktop->filesChosenToSave;
                invokeOn (command);
                savesIssued += writesWithoutDialog ? 1 : desktop->filesChosenToSave - chosenBefore;
                break;
            }

            case 5:
            {
                const auto files = folder.findChildFiles (juce::File::findFiles, false, "*.karvelo");

                if (! files.isEmpty() && app->getWindowManager()->getNumWindows() < 6)
                {
                    ++opensIssued;
                    app->openPresetFileInNewWindow (files[random.nextInt (files.size())]);
                }
                break;
            }

            case 6:
                if (app->getWindowManager()->getNumWindows() < 6)
                    app->invoke (juce::ApplicationCommandTarget::InvocationInfo (CommandIDs::newDocument),
                                 false);
                break;

            case 7:
                if (app->getWindowManager()->getNumWindows() > 1)
                {
                    const auto writesWithoutDialog = hasFile (*window);
                    const auto chosenBefore = desktop->filesChosenToSave;
                    invokeOn (CommandIDs::closeWindow);

                    if (desktop->lastAnswer == DesktopServices::Answer::yes)
                        savesIssued += writesWithoutDialog ? 1 : desktop->filesChosenToSave - chosenBefore;
                }
                break;

            case 8:
                if (controller.isPluggedIn())
                {
                    controller.unplug();
                    ++unplugs;
                }
                break;

            case 9:
                controller.setFaults (SimulatedKarvelo::Faults::random (random, 10));
                break;

            default:
            {
                ++edits;
                const auto which = random.nextInt (57);

                if (which < 24)
                    typeInto (panel.getKnobView (which).getCcBox(), random.nextInt (140));
                else if (which < 33)
                    typeInto (panel.getFaderView (which - 24).getChannelBox(), random.nextInt (18));
                else if (random.nextBool())
                    panel.getSwitchView (which - 33).getTypeButton().triggerClick();
                else
                    typeInto (panel.getSwitchView (which - 33).getCcBox(), random.nextInt (130));
                break;
            }
        }

        ++operations;
    }

    bool report (size_t heapAtEnd)
    {
        bool passed = true;
        const auto check = [&] (bool condition, const juce::String& what)
        {
            std::cout << (condition ? "  ok      " : "  FAILED  ") << what << std::endl;
            passed = passed && condition;
        };

        int badFiles = 0, files = 0;

        for (auto& file : folder.findChildFiles (juce::File::findFiles, false, "*"))
        {
            ++files;
            KARVELOEditorPreset preset;

            if (file.getSize() != 146 || PresetFile::read (file, preset) != PresetFile::ReadResult::loaded)
                ++badFiles;
        }

        const auto sendsEnded = ResultCounter::total (results.sends);
        const auto requestsEnded = ResultCounter::total (results.requests);
        const auto opensEnded = ResultCounter::total (results.opens);

        std::cout << "\n"
                  << duration << " s, " << operations << " operations: " << sendsIssued << " sends ("
                  << results.sends[2] << " acknowledged, " << results.sends[1] << " unanswered, "
                  << results.sends[0] << " without a port), " << requestsIssued << " requests ("
                  << results.requests[2] << " loaded, " << results.requests[1] << " unanswered, "
                  << results.requests[0] << " without a port), " << opensIssued << " opens, "
                  << ResultCounter::total (results.saves) << " saves, " << edits << " edits, " << unplugs
                  << " unplugs, " << results.unmatchedAcknowledgements << " unmatched acknowledgements, "
                  << desktop->questions << " save questions, " << files << " files on disk" << std::endl;
        std::cout << "heap after the first minute " << heapAfterFirstMinute / 1024 << " KiB, at the end "
                  << heapAtEnd / 1024 << " KiB" << std::endl;

        check (sendsEnded == sendsIssued, "every send ended in exactly one result");
        check (requestsEnded == requestsIssued, "every request ended in exactly one result");
        check (opensEnded == opensIssued, "every open ended in exactly one result");
        check (ResultCounter::total (results.saves) == savesIssued, "every save ended in exactly one result");
        check (badFiles == 0, "every file on disk is a valid 146-byte preset");
        check (heapAtEnd <= heapAfterFirstMinute + 2 * 1024 * 1024,
               "the heap did not grow after the first minute");
        check (assertionFailures == 0, "no JUCE assertion fired");
        return passed;
    }

    const int duration;
    juce::Random random;
    std::shared_ptr<VirtualMidiSystem> system;
    SimulatedKarvelo controller;
    juce::File folder{ juce::File::getSpecialLocation (juce::File::tempDirectory)
                           .getChildFile ("karvelo-soak-" + juce::Uuid().toString()) };
    SoakDesktop* desktop = nullptr;
    std::unique_ptr<KarveloEditorApplication> app;
    ResultCounter results;
    size_t heapAfterFirstMinute = 0;
    int operations = 0, sendsIssued = 0, requestsIssued = 0, opensIssued = 0, savesIssued = 0;
    int edits = 0, unplugs = 0;
};
} // namespace

int main (int argc, char* argv[])
{
    const auto seconds = argc > 1 ? juce::String (argv[1]).getIntValue() : 600;
    const auto seed = argc > 2 ? juce::String (argv[2]).getLargeIntValue() : juce::Time::currentTimeMillis();
    std::cout << "soak: " << seconds << " s, seed " << seed << std::endl;

    juce::JUCEApplicationBase::createInstance = &noApplication;
    keepX11LibrariesLoaded();
    bool passed = false;
    AssertionCounter assertions;

    {
        const juce::ScopedJuceInitialiser_GUI juceInitialiser;
        juce::Logger::setCurrentLogger (&assertions);

        Soak soak (seconds, seed);
        passed = soak.run() && assertions.failures == 0;

        juce::Logger::setCurrentLogger (nullptr);
    }

    std::cout << (passed ? "soak passed" : "soak FAILED") << std::endl;
    return passed ? 0 : 1;
}
