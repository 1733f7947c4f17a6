#include "ToolCommands.h"

#include "engine/MappingFormats.h"
#include "engine/SafeFileWriter.h"
#include "model/KARVELOControlMap.h"
#include "model/KARVELOEditorPreset.h"
#include "model/MidiChannel.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>

namespace KarveloTool
{
namespace
{
using namespace PresetFormats;
using KARVELOControlMap::getControls;

/** One control's new values, as `set` collects them from its arguments. */
struct Change
{
    int control = -1;
    std::optional<int> channel, number;
    std::optional<bool> isNote;
    bool given = false; ///< a setting named it (type=cc on a knob changes nothing, but is one)

    bool isEmpty() const noexcept { return ! given; }
};

std::optional<int> numberIn (const juce::String& text, int lowest, int highest)
{
    if (text.isEmpty() || text.length() > 9 || ! text.containsOnly ("0123456789"))
        return std::nullopt;

    const auto number = text.getIntValue();
    return number >= lowest && number <= highest ? std::optional<int> (number) : std::nullopt;
}

/** Reads the settings of `set`; nothing after a usage error. */
std::optional<std::vector<Change>> parseSettings (const juce::StringArray& settings, const Errors& errors)
{
    using namespace KARVELOControlMap;
    std::vector<Change> changes;
    int strip = 0;
    bool chosen = false; ///< whether the last change is of the control chosen last

    const auto nameOf = [] (const Change& change)
    { return getControls()[(size_t) change.control].getName(); };
    const auto lastIsEmpty = [&] { return ! changes.empty() && changes.back().isEmpty(); };
    const auto nothingToSet = [&]
    {
        return errors.usage (nameOf (changes.back())
                             + ": nothing to set (channel=, cc=, note=, number= or type=)");
    };
    const auto select = [&] (int control)
    {
        changes.push_back ({});
        changes.back().control = control;
        chosen = true;
    };

    for (const auto& setting : settings)
    {
        const auto key = setting.upToFirstOccurrenceOf ("=", false, false).trim().toLowerCase();
        const auto value = setting.fromFirstOccurrenceOf ("=", false, false).trim().toLowerCase();

        if (! setting.containsChar ('='))
            return errors.usage (setting.quoted() + ": a setting is NAME=VALUE"), std::nullopt;

        if (key == "strip")
        {
            const auto number = numberIn (value, 1, masterStrip - 1);

            if (value != "master" && ! number)
                return errors.usage (setting + ": a strip is 1 to 8 or master"), std::nullopt;

            if (lastIsEmpty())
                return nothingToSet(), std::nullopt;

            strip = number.value_or (masterStrip);
            chosen = false;

            if (strip == masterStrip)
                select (*find (masterStrip, "fader"));

            continue;
        }

        if (key == "control")
        {
            if (strip == 0)
                return errors.usage (setting + " needs strip= before it"), std::nullopt;

            const auto found = find (strip, value);

            if (! found)
                return errors.usage (setting
                                     + (strip == masterStrip ? ": the master strip has only its fader"
                                                             : ": a control is knob1, knob2, knob3, mute, "
                                                               "solo, recarm or fader")),
                       std::nullopt;

            // strip=master has chosen its fader already.
            if (strip != masterStrip)
            {
                if (lastIsEmpty())
                    return nothingToSet(), std::nullopt;

                select (*found);
            }

            continue;
        }

        if (! chosen)
            return errors.usage (setting + " needs strip= and control= before it"), std::nullopt;

        auto& change = changes.back();
        change.given = true;
        const auto& control = getControls()[(size_t) change.control];
        const auto isButton = control.kind == Kind::button;
        const auto sendsOnlyCc = control.getName() + " sends control changes (cc) only";

        if (key == "channel")
        {
            change.channel = numberIn (value, MidiChannel::firstShown, MidiChannel::lastShown);

            if (! change.channel)
                return errors.usage (setting + ": a channel is 1 to 16"), std::nullopt;
        }
        else if (key == "cc" || key == "note" || key == "number")
        {
            change.number = numberIn (value, 0, 127);

            if (! change.number)
                return errors.usage (setting + ": a number is 0 to 127"), std::nullopt;

            if (key == "note" && ! isButton)
                return errors.usage (setting + ": " + sendsOnlyCc), std::nullopt;

            if (key != "number" && isButton)
                change.isNote = key == "note";
        }
        else if (key == "type")
        {
            if (value != "cc" && value != "note")
                return errors.usage (setting + ": a type is cc or note"), std::nullopt;

            if (value == "note" && ! isButton)
                return errors.usage (setting + ": " + sendsOnlyCc), std::nullopt;

            if (isButton)
                change.isNote = value == "note";
        }
        else
        {
            return errors.usage ("unknown setting " + key.quoted()
                                 + " (strip, control, channel, cc, note, number or type)"),
                   std::nullopt;
        }
    }

    if (changes.empty())
        return errors.usage ("no control chosen (strip= and control=)"), std::nullopt;

    if (lastIsEmpty())
        return nothingToSet(), std::nullopt;

    return changes;
}

void apply (const Change& change, ByteArray& block)
{
    const auto& control = getControls()[(size_t) change.control];

    if (change.channel)
        block.set (control.channelOffset, static_cast<juce::uint8> (MidiChannel::toStored (*change.channel)));

    if (change.number)
        block.set (control.numberOffset, static_cast<juce::uint8> (*change.number));

    if (change.isNote && control.typeOffset >= 0)
        block.set (control.typeOffset,
                   static_cast<juce::uint8> (*change.isNote ? KARVELOSwitch::typeNote
                                                            : KARVELOSwitch::typeControlChange));
}

volatile std::sig_atomic_t caughtSignal = 0;

/** While it lives, an interrupt, a termination or a hang-up only takes note, so that a conversion
    can stop between two files and take its temporary files away. endByTheSignal then ends the
    process by that signal, as if it had never been caught, so that a calling script stops too. */
class Interruptions
{
public:
    Interruptions()
    {
        caughtSignal = 0;
        struct sigaction noting = {};
        noting.sa_handler = [] (int signal) { caughtSignal = signal; };
        sigemptyset (&noting.sa_mask);

        // A signal the caller has us ignore (nohup) stays ignored.
        for (size_t i = 0; i < signals.size(); ++i)
            if (::sigaction (signals[i], nullptr, &previous[i]) == 0 && previous[i].sa_handler != SIG_IGN)
                ::sigaction (signals[i], &noting, nullptr);
    }

    ~Interruptions()
    {
        for (size_t i = 0; i < signals.size(); ++i)
            ::sigaction (signals[i], &previous[i], nullptr);
    }

    bool caught() const noexcept { return caughtSignal != 0; }

    [[noreturn]] void endByTheSignal()
    {
        const int signal = caughtSignal;
        std::fflush (nullptr);
        ::signal (signal, SIG_DFL);
        ::raise (signal);
        std::_Exit (128 + signal);
    }

private:
    static constexpr std::array<int, 3> signals{ SIGINT, SIGTERM, SIGHUP };
    std::array<struct sigaction, 3> previous{};
};

int convertFolder (const CommandLine& line, const Environment& environment, const Errors& errors)
{
    const auto format = formatNamed (line.get ("--to"));

    if (! format)
        return errors.usage ("--to " + line.get ("--to").quoted()
                             + ": a format is karvelo, syx, csv or json");

    const auto folder = fileOf (line.positionals[0]), outputFolder = fileOf (line.positionals[1]);

    if (! folder.isDirectory())
        return folder.exists()
                   ? errors.usage (line.positionals[0] + " is not a folder; --to converts a folder")
                   : errors.failure (line.positionals[0], "no such folder");

    if (! outputFolder.isDirectory() && ! outputFolder.createDirectory())
        return errors.failure (line.positionals[1], "cannot make this folder");

    // Read straight from the directory: JUCE's iterator would ask the file system about every file
    // twice more. Hidden files are left alone.
    std::vector<juce::File> inputs;

    if (auto* directory = ::opendir (folder.getFullPathName().toRawUTF8()))
    {
        while (const auto* entry = ::readdir (directory))
        {
            const auto name = juce::String::fromUTF8 (entry->d_name);

            if (entry->d_type != DT_DIR && ! name.startsWithChar ('.')
                && formatOf (folder.getChildFile (name)))
                inputs.push_back (folder.getChildFile (name));
        }

        ::closedir (directory);
    }

    if (inputs.empty())
        return errors.failure (line.positionals[0], "no preset files (.karvelo, .syx, .csv or .json)");

    std::sort (inputs.begin(), inputs.end());

    // Files are named in messages as the user named their folders.
    const auto shown = [] (const juce::String& folderPath, const juce::File& file)
    { return (folderPath.endsWithChar ('/') ? folderPath : folderPath + "/") + file.getFileName(); };

    Interruptions interruptions;
    auto batch = std::make_unique<SafeFileWriter::Batch>();
    std::map<juce::String, juce::File> sourceOf;
    int failed = 0;

    for (const auto& input : inputs)
    {
        if (interruptions.caught())
            break;

        const auto decoded = readFile (input);
        const auto output =
            outputFolder.getChildFile (input.getFileNameWithoutExtension() + extensionOf (*format));

        if (! decoded.ok())
        {
            ++failed, errors.failure (shown (line.positionals[0], input), decoded.error);
            continue;
        }

        if (const auto [earlier, isNew] = sourceOf.emplace (output.getFullPathName(), input); ! isNew)
        {
            ++failed, errors.failure (shown (line.positionals[0], input),
                                      "not converted: " + earlier->second.getFileName() + " also becomes "
                                          + output.getFileName());
            continue;
        }

        const auto content = encode (*format, decoded.block);

        if (! batch->add (output, content.getData(), content.getSize()))
            ++failed, errors.failure (shown (line.positionals[1], output), "cannot be written");
    }

    if (interruptions.caught())
    {
        batch.reset(); // takes its temporary files away
        errors.failure ({}, "interrupted: nothing converted");
        interruptions.endByTheSignal();
    }

    const auto notWritten = batch->commit ([&] { return interruptions.caught(); });

    if (interruptions.caught())
    {
        errors.failure ({}, "interrupted: " + juce::String ((int) inputs.size() - failed - notWritten.size())
                                + " of " + juce::String ((int) inputs.size()) + " files converted");
        interruptions.endByTheSignal();
    }

    for (const auto& file : notWritten)
        ++failed, errors.failure (shown (line.positionals[1], file), "cannot be written");

    if (failed > 0)
        return errors.failure ({}, juce::String (failed) + " of " + juce::String ((int) inputs.size())
                                       + " files not converted");

    juce::ignoreUnused (environment);
    return ExitStatus::success;
}
} // namespace

juce::File fileOf (const juce::String& path)
{
    return juce::File::getCurrentWorkingDirectory().getChildFile (path);
}

std::optional<Format> formatFor (const juce::String& path, const Errors& errors)
{
    if (const auto format = formatOf (fileOf (path)))
        return format;

    errors.usage (path + ": the extension names no format (.karvelo, .syx, .csv or .json)");
    return std::nullopt;
}

std::optional<ByteArray> readPreset (const juce::String& path, const Errors& errors)
{
    auto decoded = readFile (fileOf (path));

    if (decoded.ok())
        return decoded.block;

    errors.failure (path, decoded.error);
    return std::nullopt;
}

int show (const CommandLine& line, const Environment& environment, const Errors& errors)
{
    if (line.has ("--csv") && line.has ("--json"))
        return errors.usage ("--csv and --json together");

    if (! formatFor (line.positionals[0], errors))
        return ExitStatus::badUsage;

    const auto block = readPreset (line.positionals[0], errors);

    if (! block)
        return ExitStatus::failure;

    environment.out << (line.has ("--csv")    ? MappingFormats::toCsv (*block)
                        : line.has ("--json") ? MappingFormats::toJson (*block)
                                              : MappingFormats::toTable (*block));
    return ExitStatus::success;
}

int diff (const CommandLine& line, const Environment& environment, const Errors& errors)
{
    for (const auto& path : line.positionals)
        if (! formatFor (path, errors))
            return ExitStatus::badUsage;

    const auto first = readPreset (line.positionals[0], errors);
    const auto second = first ? readPreset (line.positionals[1], errors) : std::nullopt;

    if (! first || ! second)
        return ExitStatus::failure;

    const auto before = MappingFormats::rowsOf (*first), after = MappingFormats::rowsOf (*second);
    bool differ = false;

    for (size_t i = 0; i < before.size(); ++i)
    {
        const auto was = MappingFormats::describe (before[i]), is = MappingFormats::describe (after[i]);

        if (was != is)
        {
            environment.out << getControls()[i].getName() << ": " << was << " -> " << is << "\n";
            differ = true;
        }
    }

    return differ ? ExitStatus::failure : ExitStatus::success;
}

int convert (const CommandLine& line, const Environment& environment, const Errors& errors)
{
    if (line.has ("--to"))
        return convertFolder (line, environment, errors);

    const auto input = fileOf (line.positionals[0]);

    if (input.isDirectory())
        return errors.usage (line.positionals[0] + " is a folder; convert a folder with --to FORMAT");

    const auto inputFormat = formatFor (line.positionals[0], errors);
    const auto outputFormat = inputFormat ? formatFor (line.positionals[1], errors) : std::nullopt;

    if (! outputFormat)
        return ExitStatus::badUsage;

    const auto block = readPreset (line.positionals[0], errors);

    if (! block)
        return ExitStatus::failure;

    if (const auto error = writeFile (fileOf (line.positionals[1]), *outputFormat, *block);
        error.isNotEmpty())
        return errors.failure (line.positionals[1], error);

    return ExitStatus::success;
}

int set (const CommandLine& line, const Environment&, const Errors& errors)
{
    const auto format = formatFor (line.positionals[0], errors);

    if (! format)
        return ExitStatus::badUsage;

    juce::StringArray settings (line.positionals);
    settings.remove (0);
    const auto changes = parseSettings (settings, errors);

    if (! changes)
        return ExitStatus::badUsage;

    const auto& path = line.positionals[0];
    const auto file = fileOf (path);
    juce::MemoryBlock content;

    if (const auto error = load (file, content); error.isNotEmpty())
        return errors.failure (path, error);

    auto decoded = decode (*format, content.getData(), content.getSize());

    if (! decoded.ok())
        return errors.failure (path, decoded.error);

    // A mapping is written whole: one laid out otherwise than karvelo writes it (a spreadsheet's
    // other columns, its order, its quotes) would lose that, so it is left alone.
    if ((*format == Format::csv || *format == Format::json) && encode (*format, decoded.block) != content)
        return errors.failure (path,
                               "not changed: its layout is not the one karvelo writes, and would be lost; "
                               "convert it to .karvelo, change that and convert it back");

    for (const auto& change : *changes)
        apply (change, decoded.block);

    // A .syx file keeps every other message it holds; only the preset's block changes.
    if (*format == Format::sysEx)
    {
        const auto updated = replaceBlockInSysEx (content.getData(), content.getSize(), decoded.block);

        jassert (updated.has_value()); // the stream was just read with a preset in it
        const auto error = updated ? replaceFile (file, updated->getData(), updated->getSize()) : "no preset";
        return error.isEmpty() ? ExitStatus::success : errors.failure (path, error);
    }

    if (const auto error = writeFile (file, *format, decoded.block); error.isNotEmpty())
        return errors.failure (path, error);

    return ExitStatus::success;
}
} // namespace KarveloTool
