#include "MappingFormats.h"

#include "model/KARVELOEditorPreset.h"
#include "model/MidiChannel.h"
#include "model/PresetConflicts.h"

namespace MappingFormats
{
namespace
{
using namespace KARVELOControlMap;
using PresetFormats::Decoded;

const juce::String masterName{ "master" };
const juce::String ccName{ "cc" }, noteName{ "note" };
constexpr int largestChannel = 128; ///< a stored byte of 127, plus one
constexpr const char* unusualChannelNote =
    "* outside MIDI's channels 1 to 16: the stored byte plus one, kept as it is";

juce::String kindName (Kind kind)
{
    switch (kind)
    {
        case Kind::knob:
            return "knob";
        case Kind::fader:
            return "fader";
        case Kind::button:
            return "button";
    }

    return {};
}

juce::String quoted (const juce::String& text)
{
    return "\"" + text + "\"";
}

/** A value as an error message shows it: on one line, control characters escaped, and cut short
    when long. */
juce::String printable (const juce::String& text)
{
    constexpr int longest = 40;
    juce::String shown;

    for (auto p = text.getCharPointer(); ! p.isEmpty() && shown.length() < longest;)
    {
        const auto c = p.getAndAdvance();

        if (c == '\n')
            shown << "\\n";
        else if (c == '\r')
            shown << "\\r";
        else if (c < 0x20 || c == 0x7f)
            shown << "\\x" << juce::String::toHexString ((int) c).paddedLeft ('0', 2);
        else
            shown << juce::String::charToString (c);
    }

    return shown.length() < longest ? shown : shown + "...";
}

/** Where a row came from, for the messages that name it. */
struct RowPlace
{
    int row;            ///< counted from 1 after the header
    juce::String where; ///< "line 13" or "controls[11]"

    juce::String operator() (const juce::String& field, const juce::String& problem) const
    {
        return "row " + juce::String (row) + " (" + where + ")" + (field.isEmpty() ? "" : ", " + field) + ": "
               + problem;
    }
};

/** A field's value: text from CSV, whatever JSON held from JSON. */
struct FieldValue
{
    juce::var value;
    bool fromText;

    bool isMissing() const
    {
        return value.isVoid() || (value.isString() && value.toString().trim().isEmpty());
    }

    juce::String shown() const
    {
        return value.isString() ? quoted (printable (value.toString()))
                                : printable (juce::JSON::toString (value, true));
    }

    /** Text for a name-like field; nothing when JSON held something other than a string. */
    std::optional<juce::String> text() const
    {
        if (value.isString())
            return value.toString().trim();

        return std::nullopt;
    }

    /** A whole number: digits only from text, an integer (not a string, not a fraction) from JSON. */
    std::optional<int> integer() const
    {
        if (fromText)
        {
            const auto digits = value.toString().trim();

            if (digits.isEmpty() || digits.length() > 9 || ! digits.containsOnly ("0123456789"))
                return std::nullopt;

            return digits.getIntValue();
        }

        if (value.isInt() || value.isInt64())
        {
            const auto number = static_cast<juce::int64> (value);

            if (number >= std::numeric_limits<int>::min() && number <= std::numeric_limits<int>::max())
                return static_cast<int> (number);
        }

        return std::nullopt;
    }
};

/** Builds a block from rows given in any order, every control exactly once. */
class BlockBuilder
{
public:
    BlockBuilder() { block.insertMultiple (0, 0, KARVELOEditorPreset::dataSize); }

    /** Reads one row; returns the error, or an empty string. `get` gives a field by column name. */
    template <typename Getter>
    juce::String addRow (const RowPlace& place, Getter&& get)
    {
        const auto stripValue = get ("strip");
        int strip = 0;

        if (const auto asText = stripValue.text();
            asText.has_value() && asText->equalsIgnoreCase (masterName))
            strip = masterStrip;
        else if (const auto number = stripValue.integer();
                 number.has_value() && *number >= 1 && *number < masterStrip)
            strip = *number;
        else
            return place ("strip", problem (stripValue, "is not a strip (1 to 8, or master)"));

        const auto controlValue = get ("control");
        const auto controlName = controlValue.text();
        const auto found = controlName.has_value() ? find (strip, *controlName) : std::nullopt;

        if (! found.has_value())
            return place ("control",
                          problem (controlValue, strip == masterStrip
                                                     ? "is not a control of the master strip (fader)"
                                                     : "is not a control of a strip (knob1, knob2, "
                                                       "knob3, mute, solo, recarm or fader)"));

        const auto& control = getControls()[(size_t) *found];

        if (const auto kindValue = get ("kind"); ! kindValue.isMissing())
            if (const auto kind = kindValue.text();
                ! kind.has_value() || ! kind->equalsIgnoreCase (kindName (control.kind)))
                return place ("kind", problem (kindValue, "does not match " + control.getName() + ", a "
                                                              + kindName (control.kind)));

        const auto typeValue = get ("type");
        const auto type = typeValue.text();
        const auto isNote = type.has_value() && type->equalsIgnoreCase (noteName);

        if (! isNote && ! (type.has_value() && type->equalsIgnoreCase (ccName)))
            return place ("type", problem (typeValue, "is not a type (cc or note)"));

        if (isNote && control.kind != Kind::button)
            return place ("type", problem (typeValue, "is not possible: a " + kindName (control.kind)
                                                          + " sends control changes (cc) only"));

        const auto channelValue = get ("channel");
        const auto channel = channelValue.integer();

        if (! channel.has_value() || *channel < MidiChannel::firstShown || *channel > largestChannel)
            return place ("channel", problem (channelValue, "is not a channel (1 to 16, or 17 to 128 for a "
                                                            "stored byte beyond MIDI's channels)"));

        const auto numberValue = get ("number");
        const auto number = numberValue.integer();

        if (! number.has_value() || *number < 0 || *number > 127)
            return place ("number", problem (numberValue, "is not a number 0 to 127"));

        if (firstRowOf[(size_t) *found] > 0)
            return place ({}, control.getName() + " is given again (first in row "
                                  + juce::String (firstRowOf[(size_t) *found]) + ")");

        firstRowOf[(size_t) *found] = place.row;
        block.set (control.channelOffset, static_cast<juce::uint8> (MidiChannel::toStored (*channel)));
        block.set (control.numberOffset, static_cast<juce::uint8> (*number));

        if (control.typeOffset >= 0)
            block.set (control.typeOffset,
                       static_cast<juce::uint8> (isNote ? KARVELOSwitch::typeNote
                                                        : KARVELOSwitch::typeControlChange));

        return {};
    }

    Decoded finish() const
    {
        juce::StringArray missing;

        for (size_t i = 0; i < firstRowOf.size(); ++i)
            if (firstRowOf[i] == 0)
                missing.add (getControls()[i].getName());

        if (! missing.isEmpty())
            return Decoded::failure ("no row for " + missing[0]
                                     + (missing.size() > 1
                                            ? " (and " + juce::String (missing.size() - 1) + " more)"
                                            : juce::String()));

        if (const auto fault = PresetFormats::checkBlock (block); fault.isNotEmpty())
            return Decoded::failure (fault);

        return { block, {} };
    }

private:
    static juce::String problem (const FieldValue& value, const juce::String& what)
    {
        return value.isMissing() ? juce::String ("missing") : value.shown() + " " + what;
    }

    ByteArray block;
    std::array<int, numControls> firstRowOf{};
};

//==============================================================================
/** A CSV record and the line it starts on. */
struct Record
{
    int line;
    juce::StringArray fields;
};

/** Splits CSV text (RFC 4180: quoted fields may hold commas, doubled quotes and line breaks; CR LF
    or LF) into records, leaving out empty lines. */
std::optional<std::vector<Record>> splitCsv (const juce::String& text, juce::String& error)
{
    std::vector<Record> records;
    Record record{ 1, {} };
    juce::String field;
    bool inQuotes = false, fieldWasQuoted = false;
    int line = 1, quoteLine = 1;

    const auto endField = [&]
    {
        record.fields.add (fieldWasQuoted ? field : field.trim());
        field.clear();
        fieldWasQuoted = false;
    };

    const auto endRecord = [&]
    {
        endField();

        if (record.fields.size() > 1 || record.fields[0].isNotEmpty())
            records.push_back (record);

        record = { line, {} };
    };

    for (auto p = text.getCharPointer(); ! p.isEmpty();)
    {
        const auto c = p.getAndAdvance();

        if (inQuotes)
        {
            if (c == '"' && *p == '"')
                field << '"', ++p;
            else if (c == '"')
                inQuotes = false;
            else
                field << juce::String::charToString (c), line += (c == '\n' ? 1 : 0);
        }
        else if (c == '"' && field.trim().isEmpty())
        {
            field.clear();
            inQuotes = fieldWasQuoted = true;
            quoteLine = line;
        }
        else if (c == ',')
            endField();
        else if (c == '\n')
            ++line, endRecord();
        else if (c != '\r')
            field << juce::String::charToString (c);
    }

    if (inQuotes)
    {
        error = "line " + juce::String (quoteLine) + ": a quoted field never ends";
        return std::nullopt;
    }

    endRecord();
    return records;
}

juce::String csvField (const juce::String& text)
{
    if (text.containsAnyOf (",\"\r\n"))
        return quoted (text.replace ("\"", "\"\""));

    return text;
}

/** JUCE's JSON parser recurses once for every level of nesting, reads integers without looking
    out for overflow, and asserts on an empty property name and on a minus sign that no digit
    follows. Text nested deeper than a mapping ever is, with a number longer than an int64 holds,
    an empty name or a lone minus is refused before it is parsed; the answer names the line and
    column. */
juce::String checkJsonLimits (const juce::String& text)
{
    constexpr int deepest = 32, longestNumber = 18;
    std::array<bool, deepest + 1> inObject{}; // for each open bracket, whether it is a brace
    int depth = 0, digits = 0, line = 1, column = 0, stringLength = 0;
    bool inString = false, escaped = false, isName = false;
    juce::juce_wchar lastOutside = 0; // the last character outside strings that is not white space

    for (auto p = text.getCharPointer(); ! p.isEmpty();)
    {
        const auto c = p.getAndAdvance();
        ++column;

        if (c == '\n')
            ++line, column = 0;

        const auto problem = [&] (const char* what)
        { return "line " + juce::String (line) + ", column " + juce::String (column) + ": " + what; };

        if (inString)
        {
            if (escaped || c != '"')
                escaped = ! escaped && c == '\\', ++stringLength;
            else if (isName && stringLength == 0)
                return problem ("an empty name");
            else
                inString = false;

            continue;
        }

        digits = juce::CharacterFunctions::isDigit (c) ? digits + 1 : 0;

        if (lastOutside == '-' && ! juce::CharacterFunctions::isWhitespace (c) && digits == 0)
            return problem ("a minus sign without a number");

        if (c == '"')
        {
            inString = true, stringLength = 0;
            isName = depth > 0 && inObject[(size_t) depth] && (lastOutside == '{' || lastOutside == ',');
        }
        else if (c == '[' || c == '{')
        {
            if (++depth > deepest)
                return problem ("nested too deep");

            inObject[(size_t) depth] = c == '{';
        }
        else if ((c == ']' || c == '}') && depth > 0)
            --depth;

        if (digits > longestNumber)
            return problem ("a number too long");

        if (! juce::CharacterFunctions::isWhitespace (c))
            lastOutside = c;
    }

    return lastOutside == '-' ? "line " + juce::String (line) + ", column " + juce::String (column)
                                    + ": a minus sign without a number"
                              : juce::String();
}

juce::String jsonString (const juce::String& text)
{
    return juce::JSON::toString (text);
}

juce::String htmlText (const juce::String& text)
{
    return text.replace ("&", "&amp;").replace ("<", "&lt;").replace (">", "&gt;").replace ("\"", "&quot;");
}

// Browsers leave backgrounds out of a print unless told; the header row repeats on every page.
constexpr const char* pageStyle =
    R"(body { font: 10pt sans-serif; margin: 1.5em; color: #000; background: #fff }
img { display: block; max-width: 100%; height: auto; margin: 1em 0 }
table { border-collapse: collapse }
th, td { border: 1px solid #888; padding: 0.1em 0.6em; text-align: left }
th { background: #ddd }
tr.conflict td { background: #f9c6dc }
td.unusual { color: #b35900; font-weight: bold }
* { -webkit-print-color-adjust: exact; print-color-adjust: exact }
@media print { body { margin: 0 } img { break-after: page } tr { break-inside: avoid } }
)";
} // namespace

//==============================================================================
bool Row::hasUsualChannel() const noexcept
{
    return channel >= MidiChannel::firstShown && channel <= MidiChannel::lastShown;
}

std::vector<Row> rowsOf (const ByteArray& block)
{
    const PresetConflicts conflicts (block);
    const auto& controls = getControls();
    std::vector<Row> rows;
    rows.reserve (controls.size());

    for (int i = 0; i < numControls; ++i)
    {
        const auto& control = controls[(size_t) i];
        const auto message = messageOf (control, block);
        juce::StringArray others;

        for (auto other : conflicts.getOthers (i))
            others.add (controls[(size_t) other].getName());

        rows.push_back ({ i, control.isMaster() ? masterName : juce::String (control.strip),
                          control.getShortName(), kindName (control.kind), message.isNote ? noteName : ccName,
                          MidiChannel::toShown (message.channel), message.number, others });
    }

    return rows;
}

juce::String describe (const Row& row)
{
    return row.type + " " + juce::String (row.number) + " on channel " + juce::String (row.channel);
}

const juce::StringArray& columnNames()
{
    static const juce::StringArray names{
        "strip", "control", "kind", "type", "channel", "number", "conflicts"
    };
    return names;
}

juce::String toCsv (const ByteArray& block)
{
    juce::String csv = columnNames().joinIntoString (",") + "\n";

    for (const auto& row : rowsOf (block))
        csv << row.strip << ',' << row.control << ',' << row.kind << ',' << row.type << ',' << row.channel
            << ',' << row.number << ',' << csvField (row.conflicts.joinIntoString ("; ")) << '\n';

    return csv;
}

juce::String toJson (const ByteArray& block)
{
    juce::String json = "{\n  \"controls\": [\n";
    const auto rows = rowsOf (block);

    for (const auto& row : rows)
    {
        juce::StringArray conflicts;

        for (const auto& other : row.conflicts)
            conflicts.add (jsonString (other));

        json << "    { \"strip\": " << (row.strip == masterName ? jsonString (row.strip) : row.strip)
             << ", \"control\": " << jsonString (row.control) << ", \"kind\": " << jsonString (row.kind)
             << ", \"type\": " << jsonString (row.type) << ", \"channel\": " << row.channel
             << ", \"number\": " << row.number << ", \"conflicts\": [" << conflicts.joinIntoString (", ")
             << "] }" << (&row == &rows.back() ? "\n" : ",\n");
    }

    return json + "  ]\n}\n";
}

juce::String toHtml (const ByteArray& block, const juce::String& title, const juce::MemoryBlock& panelPng)
{
    const auto heading = htmlText ("Karvelo mapping: " + title);
    const auto rows = rowsOf (block);
    juce::String html;
    html << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" << heading
         << "</title>\n<style>\n"
         << pageStyle << "</style>\n</head>\n<body>\n<h1>" << heading << "</h1>\n";

    if (! panelPng.isEmpty())
        html << "<img alt=\"The panel\" src=\"data:image/png;base64,"
             << juce::Base64::toBase64 (panelPng.getData(), panelPng.getSize()) << "\">\n";

    html << "<table>\n<thead><tr>";

    for (const auto& name : columnNames())
        html << "<th>" << name << "</th>";

    html << "</tr></thead>\n<tbody>\n";

    for (const auto& row : rows)
    {
        html << (row.conflicts.isEmpty() ? "<tr>" : "<tr class=\"conflict\">");

        for (const auto& cell : { row.strip, row.control, row.kind, row.type })
            html << "<td>" << cell << "</td>";

        html << (row.hasUsualChannel() ? "<td>" : "<td class=\"unusual\">") << row.channel
             << (row.hasUsualChannel() ? "" : "*") << "</td><td>" << row.number << "</td><td>"
             << htmlText (row.conflicts.joinIntoString ("; ")) << "</td></tr>\n";
    }

    html << "</tbody>\n</table>\n";

    if (std::any_of (rows.begin(), rows.end(), [] (auto& r) { return ! r.hasUsualChannel(); }))
        html << "<p>" << unusualChannelNote << "</p>\n";

    return html + "</body>\n</html>\n";
}

juce::String toTable (const ByteArray& block)
{
    const auto rows = rowsOf (block);
    const auto anyConflict =
        std::any_of (rows.begin(), rows.end(), [] (auto& r) { return ! r.conflicts.isEmpty(); });
    const auto anyUnusual =
        std::any_of (rows.begin(), rows.end(), [] (auto& r) { return ! r.hasUsualChannel(); });

    std::vector<juce::StringArray> cells{ { "strip", "control", "type", "channel", "number" } };

    if (anyConflict)
        cells[0].add ("conflicts with");

    for (const auto& row : rows)
    {
        cells.push_back ({ row.strip, row.control, row.type,
                           juce::String (row.channel) + (row.hasUsualChannel() ? "" : "*"),
                           juce::String (row.number) });

        if (anyConflict)
            cells.back().add (row.conflicts.joinIntoString (", "));
    }

    std::vector<int> widths ((size_t) cells[0].size(), 0);

    for (const auto& line : cells)
        for (int c = 0; c < line.size(); ++c)
            widths[(size_t) c] = juce::jmax (widths[(size_t) c], line[c].length());

    juce::String table;

    for (const auto& line : cells)
    {
        juce::String text;

        for (int c = 0; c < line.size(); ++c)
            text << (c + 1 < line.size() ? line[c].paddedRight (' ', widths[(size_t) c] + 2) : line[c]);

        table << text.trimEnd() << '\n';
    }

    if (anyUnusual)
        table << unusualChannelNote << '\n';

    return table;
}

PresetFormats::Decoded fromCsv (const juce::String& text)
{
    juce::String splitError;
    const auto records = splitCsv (text, splitError);

    if (! records.has_value())
        return Decoded::failure (splitError);

    if (records->empty())
        return Decoded::failure ("no header and no rows");

    const auto& header = records->front();
    std::map<juce::String, int> columnOf;

    for (int i = 0; i < header.fields.size(); ++i)
    {
        const auto name = header.fields[i].trim().toLowerCase();

        if (columnNames().contains (name) && ! columnOf.emplace (name, i).second)
            return Decoded::failure ("line " + juce::String (header.line) + ": the column " + quoted (name)
                                     + " appears twice");
    }

    for (const auto* required : { "strip", "control", "type", "channel", "number" })
        if (columnOf.count (required) == 0)
            return Decoded::failure ("line " + juce::String (header.line) + ": no " + quoted (required)
                                     + " column (the header reads " + columnNames().joinIntoString (",")
                                     + ")");

    BlockBuilder builder;

    for (size_t r = 1; r < records->size(); ++r)
    {
        const auto& record = (*records)[r];
        const RowPlace place{ static_cast<int> (r), "line " + juce::String (record.line) };

        const auto error = builder.addRow (
            place,
            [&] (const char* name)
            {
                const auto column = columnOf.find (name);
                return FieldValue{ column == columnOf.end() ? juce::var()
                                                            : juce::var (record.fields[column->second]),
                                   true };
            });

        if (error.isNotEmpty())
            return Decoded::failure (error);
    }

    return builder.finish();
}

PresetFormats::Decoded fromJson (const juce::String& text)
{
    juce::var parsed;

    if (const auto beyond = checkJsonLimits (text); beyond.isNotEmpty())
        return Decoded::failure ("not a Karvelo mapping: " + beyond);

    if (const auto result = juce::JSON::parse (text, parsed); result.failed())
    {
        // JUCE says "<line>:<column>: error: <what>".
        const auto message = result.getErrorMessage();
        const auto place = juce::StringArray::fromTokens (
            message.upToFirstOccurrenceOf (": error: ", false, false), ":", {});
        return Decoded::failure ("not JSON: line " + place[0] + ", column " + place[1] + ": "
                                 + message.fromFirstOccurrenceOf (": error: ", false, false));
    }

    const auto& controls = parsed["controls"];

    if (! parsed.isObject() || ! controls.isArray())
        return Decoded::failure ("not a Karvelo mapping: no \"controls\" list");

    BlockBuilder builder;

    for (int i = 0; i < controls.size(); ++i)
    {
        const RowPlace place{ i + 1, "controls[" + juce::String (i) + "]" };
        const auto& object = controls[i];

        if (! object.isObject())
            return Decoded::failure (place ({}, "not an object"));

        const auto error = builder.addRow (place,
                                           [&] (const char* name) {
                                               return FieldValue{ object.getProperty (name, {}), false };
                                           });

        if (error.isNotEmpty())
            return Decoded::failure (error);
    }

    return builder.finish();
}
} // namespace MappingFormats
