#include "ToolCommands.h"

#include "engine/SysExProtocol.h"

namespace KarveloTool
{
namespace
{
/** The engine and MIDI manager the editor uses, on the ports of one name, for one exchange. The
    engine reports on the message thread; wait() runs the message loop until it has. */
class Exchange : private OrvikEditorEngine::Listener
{
public:
    Exchange (const Environment& environment, const juce::String& portName)
        : manager (new MidiManager (environment.createDevices()))
        , engine (
              new KARVELOEditorEngine (manager, environment.acknowledgementTimeout, environment.replyTimeout))
        , port (portName)
    {
        manager->openMidiInput (port);
        manager->openMidiOutput (port);
        engine->addListener (this);
    }

    ~Exchange() override { engine->removeListener (this); }

    /** Why the exchange cannot take place: no input or no output of the port's name. */
    juce::String getMissingPort() const
    {
        const auto missing =
            juce::String (manager->getNumOpenMidiInputs() == 0 ? "input" : "")
            + (manager->getNumOpenMidiInputs() + manager->getNumOpenMidiOutputs() == 0 ? " and " : "")
            + (manager->getNumOpenMidiOutputs() == 0 ? "output" : "");

        return missing.isEmpty() ? juce::String() : "no MIDI " + missing + " named " + port.quoted();
    }

    /** Runs the message loop until the engine reports; the engine's own timeouts bound the wait,
        and the guard covers a result that never comes. */
    int wait (int timeout)
    {
        const auto guard = juce::Time::getMillisecondCounter() + (juce::uint32) (2 * timeout + 1000);

        while (result < 0 && static_cast<int> (guard - juce::Time::getMillisecondCounter()) > 0)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (10);

        return result;
    }

    MidiManager::Ptr manager;
    KARVELOEditorEngine::Ptr engine;
    const juce::String port;

private:
    void sendPresetResult (EditorPreset::Ptr, int code) override { result = code; }
    void requestPresetResult (int code) override { result = code; }
    void openPresetFileResult (int) override {}
    void savePresetFileResult (int) override {}

    int result = -1;
};

/** JUCE's message manager for a device command: the caller's, or one of its own for the time of
    the command (the tool needs no display for it). */
std::unique_ptr<juce::ScopedJuceInitialiser_GUI> ensureMessageManager()
{
    if (juce::MessageManager::getInstanceWithoutCreating() != nullptr)
        return {};

    return std::make_unique<juce::ScopedJuceInitialiser_GUI>();
}
} // namespace

int send (const CommandLine& line, const Environment& environment, const Errors& errors)
{
    if (! formatFor (line.positionals[0], errors))
        return ExitStatus::badUsage;

    const auto block = readPreset (line.positionals[0], errors);

    if (! block)
        return ExitStatus::failure;

    const auto messageManager = ensureMessageManager();
    const auto status = [&]
    {
        Exchange exchange (environment, line.get ("--port", defaultPort));

        if (const auto missing = exchange.getMissingPort(); missing.isNotEmpty())
            return errors.failure ({}, missing);

        auto preset = exchange.engine->createKarveloPreset();
        preset->setData (*block);
        exchange.engine->sendPreset (SysExProtocol::noSlot, preset.get());

        if (exchange.wait (environment.acknowledgementTimeout) == OrvikEditorEngine::SendResult::acknowledged)
            return int (ExitStatus::success);

        return errors.failure (exchange.port, "no acknowledgement within "
                                                  + juce::String (environment.acknowledgementTimeout)
                                                  + " ms");
    }();

    return status;
}

int receive (const CommandLine& line, const Environment& environment, const Errors& errors)
{
    const auto format = formatFor (line.positionals[0], errors);

    if (! format)
        return ExitStatus::badUsage;

    const auto messageManager = ensureMessageManager();
    std::optional<ByteArray> block;

    {
        Exchange exchange (environment, line.get ("--port", defaultPort));

        if (const auto missing = exchange.getMissingPort(); missing.isNotEmpty())
            return errors.failure ({}, missing);

        auto preset = exchange.engine->createKarveloPreset();
        exchange.engine->requestPreset (SysExProtocol::noSlot, preset.get());

        if (exchange.wait (environment.replyTimeout) != OrvikEditorEngine::RequestResult::received)
            return errors.failure (exchange.port, "no valid preset within "
                                                      + juce::String (environment.replyTimeout) + " ms");

        block = preset->getData();
    }

    if (const auto error = PresetFormats::writeFile (fileOf (line.positionals[0]), *format, *block);
        error.isNotEmpty())
        return errors.failure (line.positionals[0], error);

    return ExitStatus::success;
}

int ports (const CommandLine&, const Environment& environment, const Errors&)
{
    const auto devices = environment.createDevices();
    const auto inputs = devices->getInputDeviceNames(), outputs = devices->getOutputDeviceNames();

    for (const auto& name : inputs)
        environment.out << "input   " << name << "\n";

    for (const auto& name : outputs)
        environment.out << "output  " << name << "\n";

    if (inputs.isEmpty() && outputs.isEmpty())
        environment.err << "karvelo: no MIDI ports (is this user allowed to use the sound devices?)\n";

    return ExitStatus::success;
}
} // namespace KarveloTool
