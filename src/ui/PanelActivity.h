#pragma once

#include "model/KARVELOControlMap.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>

/** What the panel shows live over its picture: the MIDI and POWER lights, and the controls the user
    touches on the controller (their boxes lit up and, for a knob or a fader, the value it sent as
    a thin arc or bar), each fading out.

    Nothing is painted when a message arrives: the new state is noted, and one timer, running only
    while something is lit or fading, repaints what changed at most once a frame, only where it
    changed. A flood of messages therefore costs the message thread a few stores per message.

    Message thread only.
*/
class PanelActivity : private juce::Timer
{
public:
    /** Durations; tests shorten them. */
    struct Timings
    {
        int midiFlashMilliseconds = 100;
        int touchHoldMilliseconds = 1000;
        int touchFadeMilliseconds = 500;
        int frameMilliseconds = 16;
    };

    /** Draws into the panel and repaints it. Each control's two boxes are where setBoxAreas says. */
    PanelActivity (juce::Component& panel, Timings timings);
    ~PanelActivity() override;

    /** Where a control's number and channel boxes are in the panel, for lighting them up. */
    void setBoxAreas (int controlIndex, juce::Rectangle<int> numberBox, juce::Rectangle<int> channelBox);

    void setPowerOn (bool on);

    /** Keeps MIDI lit until the flash time after the last call. */
    void midiActivity();

    /** The control (reading order) sent value (0 to 127) just now. */
    void touch (int controlIndex, int value);

    bool isPowerOn() const noexcept { return powerOn; }
    bool isMidiLit() const noexcept { return midiLit; }

    /** How strongly the control shows its touch: 1 while held, down to 0 when faded or untouched. */
    float getTouchLevel (int controlIndex) const;

    /** The last value the control sent; -1 when it is not showing a touch. */
    int getTouchedValue (int controlIndex) const;

    /** Whether something is still lit or fading, so that the timer runs. */
    bool isAnimating() const { return isTimerRunning(); }

    /** Draws the lit lights and the touched controls, over the picture and under the boxes. */
    void paint (juce::Graphics& g) const;

    /** The areas of the panel this draws in: a light, and a control's arc or bar (empty for a
        button). */
    static juce::Rectangle<int> getLightArea (bool power);
    static juce::Rectangle<int> getValueArea (int controlIndex);

private:
    struct Touch
    {
        double time = 0.0;
        int value = 0;
        bool active = false, changed = false;
    };

    void timerCallback() override;
    void startAnimating();
    void repaintTouch (int controlIndex);
    float levelAt (const Touch& touch, double now) const;

    juce::Component& panel;
    const Timings timings;
    std::array<Touch, KARVELOControlMap::numControls> touches;
    std::array<std::array<juce::Rectangle<int>, 2>, KARVELOControlMap::numControls> boxAreas;
    double midiLitUntil = 0.0;
    bool powerOn = false, midiLit = false, midiChanged = false;
    int numTouched = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PanelActivity)
};
