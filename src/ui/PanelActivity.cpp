#include "PanelActivity.h"

namespace
{
// Where the picture (resources/artwork/hardware_background.svg) has the two lights, unlit, and the
// controls: strip s (from 1) has its knobs centred at x 148 + 84 (s - 1), y 113, 208 and 303, and
// its fader slot at the same x from y 570 to 628; the master fader is strip 9's.
const juce::Point<float> midiLight{ 817.0f, 306.0f }, powerLight{ 865.0f, 306.0f };
constexpr float glowRadius = 13.0f, lensRadius = 3.6f, bezelRadius = 5.5f;
constexpr float arcRadius = 24.5f, arcThickness = 2.5f;
constexpr float arcStart = -150.0f, arcSweep = 300.0f; // degrees clockwise from 12 o'clock
constexpr int slotTop = 570, slotLength = 58, barOffset = 21, barWidth = 3;

const juce::Colour touchColour (0xff3fe0ff), midiColour (0xffffa62b), powerColour (0xff4fe36f);

juce::Point<float> centreOf (const KARVELOControlMap::Control& control)
{
    return { 148.0f + 84.0f * static_cast<float> (control.strip - 1),
             control.kind == KARVELOControlMap::Kind::knob
                 ? 113.0f + 95.0f * static_cast<float> (control.row - 1)
                 : static_cast<float> (slotTop + slotLength / 2) };
}

const KARVELOControlMap::Control& controlAt (int index)
{
    return KARVELOControlMap::getControls()[static_cast<size_t> (index)];
}

double now()
{
    return juce::Time::getMillisecondCounterHiRes();
}

void drawLight (juce::Graphics& g, juce::Point<float> centre, juce::Colour colour)
{
    // Glow first, then the bezel over it again and a lit lens, as the picture's lit light would be.
    g.setGradientFill (juce::ColourGradient (colour.withAlpha (0.6f), centre, colour.withAlpha (0.0f),
                                             centre.translated (glowRadius, 0.0f), true));
    g.fillEllipse (juce::Rectangle<float> (2 * glowRadius, 2 * glowRadius).withCentre (centre));
    g.setColour (juce::Colour (0xff060606));
    g.fillEllipse (juce::Rectangle<float> (2 * bezelRadius, 2 * bezelRadius).withCentre (centre));
    g.setColour (colour);
    g.fillEllipse (juce::Rectangle<float> (2 * lensRadius, 2 * lensRadius).withCentre (centre));
    g.setColour (juce::Colours::white.withAlpha (0.7f));
    g.fillEllipse (juce::Rectangle<float> (2.8f, 2.8f).withCentre (centre.translated (-1.1f, -1.1f)));
}
} // namespace

PanelActivity::PanelActivity (juce::Component& panelToPaint, Timings durations)
    : panel (panelToPaint)
    , timings (durations)
{
}

PanelActivity::~PanelActivity()
{
    stopTimer();
}

void PanelActivity::setBoxAreas (int controlIndex, juce::Rectangle<int> numberBox,
                                 juce::Rectangle<int> channelBox)
{
    boxAreas[static_cast<size_t> (controlIndex)] = { numberBox, channelBox };
}

juce::Rectangle<int> PanelActivity::getLightArea (bool power)
{
    const auto size = static_cast<int> (2 * glowRadius) + 2;
    return juce::Rectangle<int> (size, size).withCentre ((power ? powerLight : midiLight).toInt());
}

juce::Rectangle<int> PanelActivity::getValueArea (int controlIndex)
{
    const auto& control = controlAt (controlIndex);
    const auto centre = centreOf (control).toInt();

    switch (control.kind)
    {
        case KARVELOControlMap::Kind::knob:
        {
            const auto size = static_cast<int> (2 * (arcRadius + arcThickness)) + 2;
            return juce::Rectangle<int> (size, size).withCentre (centre);
        }
        case KARVELOControlMap::Kind::fader:
            return { centre.x + barOffset - 1, slotTop - 1, barWidth + 2, slotLength + 2 };
        case KARVELOControlMap::Kind::button:
            break;
    }

    return {};
}

void PanelActivity::setPowerOn (bool on)
{
    if (powerOn != on)
    {
        powerOn = on;
        panel.repaint (getLightArea (true));
    }
}

void PanelActivity::midiActivity()
{
    midiLitUntil = now() + timings.midiFlashMilliseconds;

    if (! midiLit)
    {
        midiLit = midiChanged = true;
        startAnimating();
    }
}

void PanelActivity::touch (int controlIndex, int value)
{
    if (! juce::isPositiveAndBelow (controlIndex, KARVELOControlMap::numControls))
        return;

    auto& touched = touches[static_cast<size_t> (controlIndex)];

    if (! touched.active)
        ++numTouched;

    touched.changed =
        touched.changed || ! touched.active || touched.value != value || levelAt (touched, now()) < 1.0f;
    touched.time = now();
    touched.value = juce::jlimit (0, 127, value);
    touched.active = true;
    startAnimating();
}

float PanelActivity::levelAt (const Touch& touched, double time) const
{
    if (! touched.active)
        return 0.0f;

    const auto fading = time - touched.time - timings.touchHoldMilliseconds;

    if (fading <= 0.0)
        return 1.0f;

    return juce::jmax (0.0f,
                       1.0f - static_cast<float> (fading / juce::jmax (1, timings.touchFadeMilliseconds)));
}

float PanelActivity::getTouchLevel (int controlIndex) const
{
    return juce::isPositiveAndBelow (controlIndex, KARVELOControlMap::numControls)
               ? levelAt (touches[static_cast<size_t> (controlIndex)], now())
               : 0.0f;
}

int PanelActivity::getTouchedValue (int controlIndex) const
{
    if (! juce::isPositiveAndBelow (controlIndex, KARVELOControlMap::numControls))
        return -1;

    const auto& touched = touches[static_cast<size_t> (controlIndex)];
    return touched.active ? touched.value : -1;
}

void PanelActivity::startAnimating()
{
    if (! isTimerRunning())
        startTimer (timings.frameMilliseconds);
}

void PanelActivity::repaintTouch (int controlIndex)
{
    for (auto& area : boxAreas[static_cast<size_t> (controlIndex)])
        panel.repaint (area);

    if (const auto area = getValueArea (controlIndex); ! area.isEmpty())
        panel.repaint (area);
}

void PanelActivity::timerCallback()
{
    const auto time = now();

    if (midiLit && time >= midiLitUntil)
    {
        midiLit = false;
        midiChanged = true;
    }

    if (midiChanged)
    {
        midiChanged = false;
        panel.repaint (getLightArea (false));
    }

    if (numTouched > 0)
    {
        for (int i = 0; i < KARVELOControlMap::numControls; ++i)
        {
            auto& touched = touches[static_cast<size_t> (i)];

            if (! touched.active)
                continue;

            // Held, a touch needs painting only when it changed; fading, every frame.
            const auto level = levelAt (touched, time);

            if (level <= 0.0f)
            {
                touched.active = false;
                --numTouched;
            }

            if (touched.changed || level < 1.0f)
                repaintTouch (i);

            touched.changed = false;
        }
    }

    if (! midiLit && numTouched == 0)
        stopTimer();
}

void PanelActivity::paint (juce::Graphics& g) const
{
    if (powerOn && g.clipRegionIntersects (getLightArea (true)))
        drawLight (g, powerLight, powerColour);

    if (midiLit && g.clipRegionIntersects (getLightArea (false)))
        drawLight (g, midiLight, midiColour);

    if (numTouched == 0)
        return;

    const auto time = now();

    for (int i = 0; i < KARVELOControlMap::numControls; ++i)
    {
        const auto& touched = touches[static_cast<size_t> (i)];
        const auto level = levelAt (touched, time);

        if (level <= 0.0f)
            continue;

        g.setColour (touchColour.withMultipliedAlpha (0.45f * level));

        for (auto& area : boxAreas[static_cast<size_t> (i)])
            if (g.clipRegionIntersects (area))
                g.fillRoundedRectangle (area.toFloat(), 2.5f);

        const auto& control = controlAt (i);

        if (control.kind == KARVELOControlMap::Kind::button || ! g.clipRegionIntersects (getValueArea (i)))
            continue;

        const auto share = static_cast<float> (touched.value) / 127.0f;
        const auto centre = centreOf (control);

        if (control.kind == KARVELOControlMap::Kind::knob)
        {
            const auto arc = [&centre] (float sweep)
            {
                juce::Path path;
                const auto start = juce::degreesToRadians (arcStart);
                path.addCentredArc (centre.x, centre.y, arcRadius, arcRadius, 0.0f, start,
                                    start + juce::degreesToRadians (juce::jmax (sweep, 1.0f)), true);
                return path;
            };
            const juce::PathStrokeType stroke (arcThickness, juce::PathStrokeType::curved,
                                               juce::PathStrokeType::rounded);
            g.setColour (touchColour.withMultipliedAlpha (0.25f * level));
            g.strokePath (arc (arcSweep), stroke);
            g.setColour (touchColour.withMultipliedAlpha (level));
            g.strokePath (arc (arcSweep * share), stroke);
        }
        else
        {
            const juce::Rectangle<float> slot (centre.x + barOffset, static_cast<float> (slotTop),
                                               static_cast<float> (barWidth),
                                               static_cast<float> (slotLength));
            g.setColour (touchColour.withMultipliedAlpha (0.25f * level));
            g.fillRect (slot);
            g.setColour (touchColour.withMultipliedAlpha (level));
            g.fillRect (slot.withTop (slot.getBottom() - slot.getHeight() * share));
        }
    }
}
