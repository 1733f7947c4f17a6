#include "KARVELOKnobView.h"

KARVELOKnobView::KARVELOKnobView (KARVELOKnob::Ptr knob)
    : control (std::move (knob))
    , boxes (*this, *control)
{
}

KARVELOKnobView::~KARVELOKnobView() = default;

void KARVELOKnobView::resized()
{
    boxes.setTops (0, 20);
}
