// Opening a preset file: any bytes of any length are written to a file, which the engine opens into
// a Karvelo preset; the result comes through the message loop.
//
// Invariants: exactly one open result arrives, on the message thread and after the call returned;
// it is "loaded" exactly when the file is 146 bytes long and bytes 7..144 are a valid block, and
// the preset then holds those bytes; otherwise it is "rejected" (the file exists) and the preset is
// as it was. The frame bytes (0..6 and 145) play no part.

#include "FuzzSupport.h"
#include "HexFile.h"
#include "ResultRecorder.h"
#include "VirtualMidiDevices.h"
#include "engine/KARVELOEditorEngine.h"

#include <cstdio>
#include <unistd.h>

namespace
{
constexpr int fileSize = 146;
constexpr int headerSize = 7;

struct State
{
    std::shared_ptr<VirtualMidiSystem> system = VirtualMidiSystem::create();
    MidiManager::Ptr manager{ new MidiManager (system->createLayer()) };
    KARVELOEditorEngine::Ptr engine{ new KARVELOEditorEngine (manager) };
    KARVELOEditorPreset::Ptr preset = engine->createKarveloPreset();
    ResultRecorder results;

    /** The block every input starts from: the factory preset's. */
    ByteArray reference;

    /** One file, rewritten for every input. */
    juce::File file;
};

State* state = nullptr;

void writeFile (const juce::File& file, const juce::uint8* data, size_t size)
{
    auto* stream = std::fopen (file.getFullPathName().toRawUTF8(), "wb");
    FuzzSupport::require (stream != nullptr, "cannot open the temporary file");
    const auto written = size == 0 ? 0 : std::fwrite (data, 1, size, stream);
    FuzzSupport::require (std::fclose (stream) == 0 && written == size, "cannot write the temporary file");
}
} // namespace

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    FuzzSupport::initialiseJuce();
    state = new State();
    state->engine->addListener (&state->results);

    const auto factory = HexFile::read ("factory_preset.hex");
    FuzzSupport::require (factory.size() == fileSize,
                          "tests/data/factory_preset.hex is not a 146-byte preset file");
    state->reference = ByteArray (factory.begin() + headerSize, FuzzSupport::blockSize);

    state->file = juce::File::getSpecialLocation (juce::File::tempDirectory)
                      .getChildFile ("karvelo-fuzz-preset-file-" + juce::String (static_cast<int> (getpid()))
                                     + ".karvelo");

    // The warm-up input: the factory preset's file.
    LLVMFuzzerTestOneInput (factory.begin(), static_cast<size_t> (factory.size()));
    FuzzSupport::cleanUpAtExit (
        []
        {
            state->file.deleteFile();
            state->engine->removeListener (&state->results);
            delete state;
            state = nullptr;
        });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const juce::uint8* data, size_t size)
{
    auto& engine = *state->engine;
    auto& results = state->results;
    const auto& reference = state->reference;

    FuzzSupport::require (state->preset->setData (reference), "the preset refused the factory block");
    results.opens.clear();
    writeFile (state->file, data, size);

    results.call ([&] { engine.openPresetFile (state->file, state->preset.get()); });

    const auto deadline = juce::Time::getMillisecondCounter() + 5000;

    while (results.opens.empty())
    {
        FuzzSupport::require (juce::Time::getMillisecondCounter() < deadline,
                              "the open result never arrived");
        juce::MessageManager::getInstance()->runDispatchLoopUntil (0);
    }

    // The result came through the engine's queue; with the queue empty, nothing more can follow.
    FuzzSupport::require (engine.getNumPendingUpdates() == 0, "more than the one result is on its way");
    FuzzSupport::require (results.opens.size() == 1, "more than one open result arrived");
    FuzzSupport::require (! results.deliveredWrongly(),
                          "the result arrived off the message thread or inside the call that caused it");
    FuzzSupport::require (results.sends.empty() && results.requests.empty() && results.saves.empty(),
                          "opening a file delivered a result of another operation");

    const auto valid = size == static_cast<size_t> (fileSize)
                       && FuzzSupport::isValidBlock (data + headerSize, FuzzSupport::blockSize);
    const auto result = results.opens.front();
    const auto after = state->preset->getData();

    if (valid)
    {
        FuzzSupport::require (result == OrvikEditorEngine::OpenResult::loaded,
                              "a valid preset file was not loaded");
        FuzzSupport::require (after == ByteArray (data + headerSize, FuzzSupport::blockSize),
                              "the preset does not hold the loaded file's block");
    }
    else
    {
        FuzzSupport::require (result == OrvikEditorEngine::OpenResult::rejected,
                              "an invalid preset file was not rejected");
        FuzzSupport::require (after == reference, "a rejected file changed the preset");
    }

    return 0;
}
