#include "KarveloEditorApplication.h"

#include "KarveloResources.h"
#include "NativeDesktopServices.h"
#include "engine/JuceMidiDeviceLayer.h"
#include "engine/SysExProtocol.h"
#include "ui/MainContentComponent.h"
#include "ui/Pictures.h"

KarveloEditorApplication::KarveloEditorApplication()
    : OrvikEditorApplication ([] { return std::make_unique<JuceMidiDeviceLayer>(); },
                              std::make_unique<NativeDesktopServices>(),
                              { RecoveryFolder::getDefaultLocation() }, true)
    , answerTimeout (KARVELOEditorEngine::acknowledgementTimeoutMilliseconds)
{
}

KarveloEditorApplication::KarveloEditorApplication (DeviceLayerFactory deviceLayerFactory,
                                                    std::unique_ptr<DesktopServices> desktopServices,
                                                    int answerTimeoutMilliseconds,
                                                    RecoverySettings recoveryToKeep)
    : OrvikEditorApplication (std::move (deviceLayerFactory), std::move (desktopServices),
                              std::move (recoveryToKeep))
    , answerTimeout (answerTimeoutMilliseconds)
{
}

KarveloEditorApplication::~KarveloEditorApplication()
{
    panelLights = nullptr;

    if (engine != nullptr)
        engine->removeListener (this);
}

KARVELOEditorPreset::Ptr KarveloEditorApplication::asKarveloPreset (const EditorPreset::Ptr& preset)
{
    auto* karvelo = dynamic_cast<KARVELOEditorPreset*> (preset.get());
    jassert (karvelo != nullptr);
    return karvelo;
}

std::unique_ptr<juce::Component> KarveloEditorApplication::createPanel (const EditorPreset::Ptr& preset) const
{
    return std::make_unique<MainContentComponent> (asKarveloPreset (preset));
}

KarveloEditorApplication::PanelLights::PanelLights (KarveloEditorApplication& owner)
    : application (owner)
{
    application.getMidiTraffic()->addListener (this);
    startTimer (portCheckMilliseconds);
}

KarveloEditorApplication::PanelLights::~PanelLights()
{
    application.getMidiTraffic()->removeListener (this);
}

void KarveloEditorApplication::PanelLights::update()
{
    const auto midi = application.getMidiManager();

    if (application.getWindowManager() == nullptr)
        return;

    const auto reachable = midi->getNumOpenMidiInputs() > 0 && midi->getNumOpenMidiOutputs() > 0;

    for (auto* window : application.getWindowManager()->getWindows())
        if (auto* panel = dynamic_cast<MainContentComponent*> (window->getContentComponent()))
            panel->setPowerLed (reachable);
}

void KarveloEditorApplication::PanelLights::midiTrafficArrived (const std::vector<MidiTraffic::Event>& events,
                                                                int)
{
    if (std::none_of (events.begin(), events.end(), [] (auto& e) { return ! e.outgoing; }))
        return;

    if (application.getWindowManager() == nullptr)
        return;

    MainContentComponent* front = nullptr;

    if (auto active = application.getWindowManager()->getActiveWindow())
        front = dynamic_cast<MainContentComponent*> (active->getContentComponent());

    for (auto* window : application.getWindowManager()->getWindows())
        if (auto* panel = dynamic_cast<MainContentComponent*> (window->getContentComponent()))
            panel->midiActivity();

    if (front == nullptr)
        return;

    for (auto& event : events)
        if (const auto message = event.asControlMessage(); message.has_value() && ! event.outgoing)
            front->showMessageReceived (*message, event.bytes[2]);
}

void KarveloEditorApplication::createEngine()
{
    if (engine != nullptr)
        return;

    panelLights = std::make_unique<PanelLights> (*this);

    engine = new KARVELOEditorEngine (getMidiManager(), answerTimeout, answerTimeout);
    engine->addListener (this);
}

OrvikEditorEngine::Ptr KarveloEditorApplication::getEngine()
{
    return engine.get();
}

EditorPreset::Ptr KarveloEditorApplication::createDefaultPreset()
{
    auto preset = engine->createPreset();

    // The factory preset is kept as a complete preset-data message: its block is what lies between
    // the 7-byte header and the final byte.
    const ByteArray message (reinterpret_cast<const juce::uint8*> (KarveloResources::factory_preset_karvelo),
                             KarveloResources::factory_preset_karveloSize);
    SysExProtocol::storePayload (message, *preset);
    return preset;
}

void KarveloEditorApplication::newDocument()
{
    createEngine();
    openWindowForPreset (createDefaultPreset());
}

MainWindow::Ptr KarveloEditorApplication::openWindowForPreset (EditorPreset::Ptr preset)
{
    createEngine();
    return createMainWindow (createPanel (preset), preset, {});
}

MainWindow::Ptr KarveloEditorApplication::openPresetFileInNewWindow (const juce::File& file)
{
    createEngine();
    auto preset = createDefaultPreset();
    const auto loaded = engine->openPresetFile (file, preset) == OrvikEditorEngine::OpenResult::loaded;
    auto window = createMainWindow (createPanel (preset), preset, file.getFullPathName());

    // The factory preset shown in its place must never be saved over the file.
    if (! loaded)
        window->forgetFile();
    else
        rememberRecentFile (file);

    return window;
}

juce::Image KarveloEditorApplication::createAboutImage()
{
    return Pictures::aboutBackground();
}
