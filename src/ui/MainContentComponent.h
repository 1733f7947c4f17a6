#pragma once

#include "ConflictMarks.h"
#include "KARVELOKnobView.h"
#include "KARVELOSwitchView.h"
#include "OrvikEditorCustomLook.h"
#include "PanelActivity.h"
#include "model/KARVELOEditorPreset.h"

/** The editor's main panel: the picture of the controller with one small editor on every control,
    all editing one preset in place.

    Geometry (fixed, in pixels): strips are 84 apart from x 110. Knob view i sits in strip i / 3 and
    knob row i % 3 (y 143, 238, 333); fader views sit at y 635, the master last; switch views form
    the rows MUTE, SOLO and REC ARM at y 375, 437 and 499. The preset keeps its buttons as mute,
    record-arm, solo: the middle row of the screen edits switches 16 to 23 and the bottom row
    switches 8 to 15.

    Tab and Shift+Tab move the keyboard focus through the 114 number boxes in reading order (strip
    by strip, top to bottom, each control's number box before its channel box; the master fader
    last), round and round; from elsewhere in the window Tab enters at the first box and Shift+Tab
    at the last. The stepping keys also step the box under the mouse when no box has the focus.
    Boxes of controls that send the same message are marked (ConflictMarks), and the picture shows
    the lights and the controls touched on the controller (PanelActivity).
*/
class MainContentComponent : public virtual juce::Component
{
public:
    static constexpr int width = 940;
    static constexpr int height = 721;
    static constexpr int firstStripX = 110;
    static constexpr int stripSpacing = 84;

    explicit MainContentComponent (KARVELOEditorPreset::Ptr preset, PanelActivity::Timings timings = {});
    ~MainContentComponent() override;

    void paint (juce::Graphics& g) override;
    void resized() override;
    void parentHierarchyChanged() override;

    /** Lights POWER: call with true while the editor has both a MIDI input and a MIDI output open,
        and with false when either closes. */
    void setPowerLed (bool on);

    /** Flashes MIDI briefly: call once for each delivery of messages that came from the open input.
        Cheap; calls closer together keep it lit. */
    void midiActivity();

    /** Shows that the control (index in KARVELOControlMap's reading order) was touched on the
        controller and sent value (0 to 127): its boxes light up and a knob or fader shows the value
        as an arc or bar, fading after a second. Cheap; the picture follows once a frame. */
    void showControlTouched (int controlIndex, int value);

    /** Touches every control of the preset that sends this message (a controller or note message
        from the input, see MidiTraffic::Event::asControlMessage) with the value it carries (its
        third byte: the controller's value or the note's velocity). Returns the controls touched, in
        reading order; none when no control sends it. */
    juce::Array<int> showMessageReceived (const KARVELOControlMap::Message& message, int value);

    /** The two boxes of a control, by its index in reading order. */
    ControlNumberBoxes& getBoxes (int controlIndex);

    /** The control (reading order) whose box has the keyboard focus or is being edited; -1 when
        none. */
    int getControlWithFocus();

    const PresetConflicts& getConflicts() const { return conflictMarks->getConflicts(); }

    /** Whether a change of the preset has not been checked for conflicts yet (it will be on the
        next turn of the message loop). */
    bool isConflictCheckPending() const { return conflictMarks->isCheckPending(); }

    const PanelActivity& getActivity() const { return activity; }

    /** Where each view goes, and which preset switch a screen switch view edits. */
    static juce::Point<int> getKnobViewPosition (int index);
    static juce::Point<int> getFaderViewPosition (int index);
    static juce::Point<int> getSwitchViewPosition (int index);
    static int getPresetSwitchIndex (int switchViewIndex);

    KARVELOEditorPreset::Ptr getPreset() const { return preset; }
    KARVELOKnobView& getKnobView (int index) { return *knobViews.getObjectPointer (index); }
    KARVELOKnobView& getFaderView (int index) { return *faderViews.getObjectPointer (index); }
    KARVELOSwitchView& getSwitchView (int index) { return *switchViews.getObjectPointer (index); }

private:
    /** Keys the window heard that nothing inside the panel took. */
    struct WindowKeys : juce::KeyListener
    {
        explicit WindowKeys (MainContentComponent& p)
            : panel (p)
        {
        }
        bool keyPressed (const juce::KeyPress& key, juce::Component*) override
        {
            return panel.keyPressedInWindow (key);
        }
        MainContentComponent& panel;
    };

    bool keyPressedInWindow (const juce::KeyPress& key);

    /** The boxes' tooltips need a tooltip window, which watches the mouse ten times a second with a
        round trip to the window system each time: it is kept only while the mouse is over the
        panel, so that an idle editor does no such work. */
    struct TooltipsWhileHovered : juce::MouseListener
    {
        explicit TooltipsWhileHovered (MainContentComponent& p)
            : panel (p)
        {
        }
        void mouseEnter (const juce::MouseEvent&) override;
        void mouseExit (const juce::MouseEvent& event) override;
        MainContentComponent& panel;
        std::optional<juce::SharedResourcePointer<juce::TooltipWindow>> window;
    };

    juce::Component& getViewOf (int controlIndex);

    KARVELOEditorPreset::Ptr preset;
    juce::ReferenceCountedArray<KARVELOKnobView> knobViews, faderViews;
    juce::ReferenceCountedArray<KARVELOSwitchView> switchViews;
    OrvikEditorCustomLook lookAndFeel;
    TooltipsWhileHovered tooltips{ *this };
    std::unique_ptr<ConflictMarks> conflictMarks;
    PanelActivity activity;
    WindowKeys windowKeys{ *this };
    juce::Component::SafePointer<juce::Component> keysHeardFrom;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainContentComponent)
};
