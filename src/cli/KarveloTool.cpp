#include "KarveloTool.h"

#include "ToolCommands.h"

namespace KarveloTool
{
namespace
{
using Handler = int (*) (const CommandLine&, const Environment&, const Errors&);

struct Option
{
    const char* name;
    bool takesValue;
};

struct Command
{
    const char* name;
    Handler handler;
    int fewestPositionals, mostPositionals; ///< mostPositionals < 0: any number
    std::vector<Option> options;
    const char* synopsis;
    const char* help;
};

const char* const programName = "karvelo";

const std::vector<Command>& commands()
{
    static const std::vector<Command> list{
        { "show",
          show,
          1,
          1,
          { { "--csv", false }, { "--json", false } },
          "show FILE [--csv | --json]",
          "Prints the preset's mapping: one line per control in reading order (strip by strip, knob\n"
          "rows 1 to 3, the mute, solo and record-arm buttons, the fader; the master fader last), with\n"
          "its strip, control, type (cc or note), channel and number, and the controls it conflicts\n"
          "with when two send the same message.\n"
          "\n"
          "  --csv    the mapping as CSV (strip,control,kind,type,channel,number,conflicts)\n"
          "  --json   the mapping as JSON, {\"controls\": [...]} with the same fields\n" },

        { "diff",
          diff,
          2,
          2,
          {},
          "diff A B",
          "Lists the controls whose message differs between two presets, one line each:\n"
          "  strip 3 knob 2: cc 26 on channel 1 -> cc 74 on channel 2\n"
          "Exit status 0 when the presets are equal, 1 when they differ (or a file cannot be read).\n" },

        { "convert",
          convert,
          2,
          2,
          { { "--to", true } },
          "convert IN OUT\nconvert --to FORMAT DIR OUTDIR",
          "Converts a preset between formats, chosen by the files' extensions:\n"
          "  .karvelo  the editor's preset file (146 bytes)\n"
          "  .syx      system-exclusive messages; the first Karvelo preset is read, and a preset is\n"
          "            written as the SendPreset message the controller accepts (amidi -s sends it)\n"
          "  .csv      the mapping, one row per control\n"
          "  .json     the same as JSON\n"
          "Reading CSV or JSON checks every value and names the row and field of the first bad one.\n"
          "\n"
          "  --to FORMAT  convert every preset file in the folder DIR (karvelo, syx, csv or json) into\n"
          "               OUTDIR, made when missing, keeping each file's name with the new extension\n" },

        { "set",
          set,
          2,
          -1,
          {},
          "set FILE SETTING...",
          "Changes controls of a preset file in place, saved as safely as the editor saves. A control\n"
          "is chosen with strip= and control=; the settings after it change it:\n"
          "  strip=1..8|master    the strip (master has only its fader)\n"
          "  control=NAME         knob1, knob2, knob3, mute, solo, recarm or fader\n"
          "  channel=1..16        the MIDI channel\n"
          "  cc=0..127            the controller number (a button then sends control changes)\n"
          "  note=0..127          a button's note number (it then sends notes)\n"
          "  number=0..127        the controller or note number, the type unchanged\n"
          "  type=cc|note         what a button sends\n"
          "Example: karvelo set live.karvelo strip=3 control=knob2 cc=74 channel=2 control=mute note=40\n"
          "Nothing is written unless every setting is valid.\n" },

        { "send",
          send,
          1,
          1,
          { { "--port", true } },
          "send FILE [--port NAME]",
          "Sends the preset to the controller and waits for its acknowledgement. Succeeds only when the\n"
          "controller acknowledges within 1000 ms.\n"
          "\n"
          "  --port NAME  the MIDI input and output to use; by default the controller's (\"Karvelo\",\n"
          "               or the first \"Karvelo MIDI <n>\" when none is named exactly so)\n" },

        { "receive",
          receive,
          1,
          1,
          { { "--port", true } },
          "receive FILE [--port NAME]",
          "Asks the controller for its preset and writes it to FILE, in the format of its extension.\n"
          "Succeeds only when a valid preset arrives within 1000 ms; FILE is left alone otherwise.\n"
          "\n"
          "  --port NAME  the MIDI input and output to use; by default the controller's\n" },

        { "ports",
          ports,
          0,
          0,
          {},
          "ports",
          "Lists the MIDI inputs and outputs of this machine, one per line: \"input\" or \"output\", then\n"
          "the name that --port takes.\n" },
    };

    return list;
}

const Command* findCommand (const juce::String& name)
{
    for (const auto& command : commands())
        if (name == command.name)
            return &command;

    return nullptr;
}

void printUsage (std::ostream& stream)
{
    stream << "Usage: " << programName << " COMMAND [ARGUMENTS]\n"
           << "\n"
           << "Shows, compares, converts and changes Karvelo presets, and sends them to the controller\n"
           << "and receives them from it.\n"
           << "\n"
           << "Commands:\n";

    for (const auto& command : commands())
        for (const auto& synopsis : juce::StringArray::fromLines (command.synopsis))
            stream << "  " << programName << " " << synopsis << "\n";

    stream << "\n"
           << "Files: .karvelo (preset file), .syx (system-exclusive), .csv and .json (the mapping).\n"
           << "Exit status: 0 success, 1 failure (a bad file, no answer; diff: the presets differ),\n"
           << "2 bad usage.\n"
           << "\n"
           << "'" << programName
           << " COMMAND --help' tells more about a command; --version prints the version.\n";
}

void printHelp (const Command& command, std::ostream& stream)
{
    const auto synopses = juce::StringArray::fromLines (command.synopsis);

    for (int i = 0; i < synopses.size(); ++i)
        stream << (i == 0 ? "Usage: " : "       ") << programName << " " << synopses[i] << "\n";

    stream << "\n" << command.help;
}

/** Splits the arguments after the command into positionals and options; false on a usage error. */
bool parse (const Command& command, const juce::StringArray& arguments, CommandLine& line,
            const Errors& errors)
{
    line.command = command.name;
    bool optionsEnded = false;

    for (int i = 1; i < arguments.size(); ++i)
    {
        const auto& argument = arguments[i];

        if (optionsEnded || ! argument.startsWith ("--") || argument == "-")
        {
            line.positionals.add (argument);
            continue;
        }

        if (argument == "--")
        {
            optionsEnded = true;
            continue;
        }

        const auto name = argument.upToFirstOccurrenceOf ("=", false, false);
        const auto option = std::find_if (command.options.begin(), command.options.end(),
                                          [&] (const Option& o) { return name == o.name; });

        if (option == command.options.end())
            return errors.usage ("unknown option " + name), false;

        if (option->takesValue)
        {
            if (argument.containsChar ('='))
                line.options[name] = argument.fromFirstOccurrenceOf ("=", false, false);
            else if (i + 1 < arguments.size())
                line.options[name] = arguments[++i];
            else
                return errors.usage (name + " needs a value"), false;
        }
        else if (argument.containsChar ('='))
            return errors.usage (name + " takes no value"), false;
        else
            line.options[name] = {};
    }

    const auto count = line.positionals.size();

    if (count < command.fewestPositionals)
        return errors.usage ("too few arguments"), false;

    if (command.mostPositionals >= 0 && count > command.mostPositionals)
        return errors.usage ("too many arguments"), false;

    return true;
}
} // namespace

int Errors::failure (const juce::String& what, const juce::String& why) const
{
    environment.err << programName << ": " << (what.isEmpty() ? "" : what + ": ") << why << "\n";
    return ExitStatus::failure;
}

int Errors::usage (const juce::String& why) const
{
    const auto who =
        command.isEmpty() ? juce::String (programName) : programName + juce::String (" ") + command;
    environment.err << who << ": " << why << "\n"
                    << "Try '" << who << " --help'.\n";
    return ExitStatus::badUsage;
}

int run (const juce::StringArray& arguments, const Environment& environment)
{
    const Errors programErrors{ environment, {} };

    if (arguments.isEmpty())
    {
        printUsage (environment.err);
        return ExitStatus::badUsage;
    }

    const auto& first = arguments[0];

    if (first == "--help" || first == "-h" || first == "help")
    {
        if (arguments.size() > 1)
        {
            if (const auto* command = findCommand (arguments[1]))
                return printHelp (*command, environment.out), int (ExitStatus::success);

            return programErrors.usage ("no command " + arguments[1].quoted());
        }

        printUsage (environment.out);
        return ExitStatus::success;
    }

    if (first == "--version" || first == "-V")
    {
        environment.out << programName << " " << KARVELO_VERSION << "\n";
        return ExitStatus::success;
    }

    const auto* command = findCommand (first);

    if (command == nullptr)
        return programErrors.usage ((first.startsWith ("-") ? "unknown option " : "no command ")
                                    + first.quoted());

    const auto endOfOptions = arguments.indexOf ("--");
    const auto asksForHelp = [&] (const char* option)
    {
        const auto at = arguments.indexOf (option);
        return at > 0 && (endOfOptions < 0 || at < endOfOptions);
    };

    if (asksForHelp ("--help") || asksForHelp ("-h"))
    {
        printHelp (*command, environment.out);
        return ExitStatus::success;
    }

    const Errors errors{ environment, command->name };
    CommandLine line;

    if (! parse (*command, arguments, line, errors))
        return ExitStatus::badUsage;

    const auto status = command->handler (line, environment, errors);

    // A full disk or a closed pipe behind the output is a failure, not a success with nothing said.
    if (! environment.out.flush())
        return errors.failure ({}, "cannot write the output");

    return status;
}
} // namespace KarveloTool
