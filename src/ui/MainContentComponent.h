#pragma once

#include "KARVELOKnobView.h"
#include "KARVELOSwitchView.h"
#include "OrvikEditorCustomLook.h"
#include "model/KARVELOEditorPreset.h"

/** The editor's main panel: the picture of the controller with one small editor on every control,
    all editing one preset in place.

    Geometry (fixed, in pixels): strips are 84 apart from x 110. Knob view i sits in strip i / 3 and
    knob row i % 3 (y 143, 238, 333); fader views sit at y 635, the master last; switch views form
    the rows MUTE, SOLO and REC ARM at y 375, 437 and 499. The preset keeps its buttons as mute,
    record-arm, solo: the middle row of the screen edits switches 16 to 23 and the bottom row
    switches 8 to 15.
*/
class MainContentComponent : public virtual juce::Component
{
public:
    static constexpr int width = 940;
    static constexpr int height = 721;
    static constexpr int firstStripX = 110;
    static constexpr int stripSpacing = 84;

    explicit MainContentComponent (KARVELOEditorPreset::Ptr preset);
    ~MainContentComponent() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

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
    KARVELOEditorPreset::Ptr preset;
    juce::ReferenceCountedArray<KARVELOKnobView> knobViews, faderViews;
    juce::ReferenceCountedArray<KARVELOSwitchView> switchViews;
    OrvikEditorCustomLook lookAndFeel;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainContentComponent)
};
