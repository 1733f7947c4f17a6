#include "KARVELOControlMap.h"

#include "KARVELOEditorPreset.h"

namespace KARVELOControlMap
{
namespace
{
constexpr int numStrips = 8;

std::array<Control, numControls> makeControls()
{
    std::array<Control, numControls> controls{};
    size_t next = 0;

    const auto knob = [] (int strip, int row)
    {
        const auto index = (strip - 1) * 3 + row - 1;
        const auto offset = KARVELOEditorPreset::knobsOffset + index * KARVELOKnob::dataSize;
        return Control{ Kind::knob, strip, row, ButtonRow::none, index, offset, -1, offset + 1 };
    };

    const auto fader = [] (int strip)
    {
        const auto index = strip - 1;
        const auto offset = KARVELOEditorPreset::fadersOffset + index * KARVELOKnob::dataSize;
        return Control{ Kind::fader, strip, 0, ButtonRow::none, index, offset, -1, offset + 1 };
    };

    // The block keeps the record-arm buttons (switches 8 to 15) before the solo buttons (16 to 23).
    const auto button = [] (int strip, ButtonRow row)
    {
        const auto first = row == ButtonRow::mute        ? 0
                           : row == ButtonRow::recordArm ? numStrips
                                                         : 2 * numStrips;
        const auto index = first + strip - 1;
        const auto offset = KARVELOEditorPreset::switchesOffset + index * KARVELOSwitch::dataSize;
        return Control{ Kind::button, strip, 0, row, index, offset, offset + 1, offset + 2 };
    };

    for (int strip = 1; strip <= numStrips; ++strip)
    {
        for (int row = 1; row <= 3; ++row)
            controls[next++] = knob (strip, row);

        for (auto row : { ButtonRow::mute, ButtonRow::solo, ButtonRow::recordArm })
            controls[next++] = button (strip, row);

        controls[next++] = fader (strip);
    }

    controls[next++] = fader (masterStrip);
    jassert (next == controls.size());
    return controls;
}

juce::String buttonName (ButtonRow row)
{
    switch (row)
    {
        case ButtonRow::mute:
            return "mute";
        case ButtonRow::solo:
            return "solo";
        case ButtonRow::recordArm:
            return "rec arm";
        case ButtonRow::none:
            break;
    }

    return {};
}
} // namespace

bool Control::isMaster() const noexcept
{
    return strip == masterStrip;
}

juce::String Control::getName() const
{
    if (isMaster())
        return "master fader";

    const auto prefix = "strip " + juce::String (strip) + " ";

    switch (kind)
    {
        case Kind::knob:
            return prefix + "knob " + juce::String (row);
        case Kind::fader:
            return prefix + "fader";
        case Kind::button:
            return prefix + buttonName (buttonRow) + " button";
    }

    return {};
}

juce::String Control::getCaption() const
{
    if (isMaster())
        return "Master fader";

    if (kind == Kind::knob)
        return "Strip " + juce::String (strip) + ", row " + juce::String (row) + " knob";

    return getName().replaceSection (0, 1, "S");
}

juce::String Control::getShortName() const
{
    switch (kind)
    {
        case Kind::knob:
            return "knob" + juce::String (row);
        case Kind::fader:
            return "fader";
        case Kind::button:
            return buttonName (buttonRow).removeCharacters (" ");
    }

    return {};
}

const std::array<Control, numControls>& getControls()
{
    static const auto controls = makeControls();
    return controls;
}

std::optional<int> find (int strip, const juce::String& shortName)
{
    const auto& controls = getControls();

    for (size_t i = 0; i < controls.size(); ++i)
        if (controls[i].strip == strip && controls[i].getShortName().equalsIgnoreCase (shortName))
            return static_cast<int> (i);

    return std::nullopt;
}

Message messageOf (const Control& control, const ByteArray& block)
{
    jassert (block.size() == KARVELOEditorPreset::dataSize);
    const bool isNote = control.typeOffset >= 0 && block[control.typeOffset] == KARVELOSwitch::typeNote;
    return { block[control.channelOffset], isNote, block[control.numberOffset] };
}
juce::Array<int> findControlsSending (const ByteArray& block, const Message& message)
{
    juce::Array<int> found;
    const auto& controls = getControls();

    for (size_t i = 0; i < controls.size(); ++i)
        if (messageOf (controls[i], block) == message)
            found.add (static_cast<int> (i));

    return found;
}
} // namespace KARVELOControlMap
