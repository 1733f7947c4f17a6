#include "Pictures.h"

#include "KarveloResources.h"

#define KARVELO_PICTURE(function, resource)                                                                  \
    juce::Image function()                                                                                   \
    {                                                                                                        \
        return juce::ImageCache::getFromMemory (KarveloResources::resource##_png,                            \
                                                KarveloResources::resource##_pngSize);                       \
    }

namespace Pictures
{
KARVELO_PICTURE (hardwareBackground, hardware_background)
KARVELO_PICTURE (switchOn, switch_on)
KARVELO_PICTURE (switchOff, switch_off)
KARVELO_PICTURE (aboutBackground, about_background)
KARVELO_PICTURE (setupBackground, setup_background)
KARVELO_PICTURE (midiSetupTitle, midi_setup_title)
KARVELO_PICTURE (applyNormal, apply_normal)
KARVELO_PICTURE (applyOver, apply_over)
KARVELO_PICTURE (applyDown, apply_down)
KARVELO_PICTURE (okNormal, ok_normal)
KARVELO_PICTURE (okOver, ok_over)
KARVELO_PICTURE (okDown, ok_down)
KARVELO_PICTURE (cancelNormal, cancel_normal)
KARVELO_PICTURE (cancelOver, cancel_over)
KARVELO_PICTURE (cancelDown, cancel_down)
} // namespace Pictures

#undef KARVELO_PICTURE
