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
juce::Image hardwareBackground()
{
    // The panel repaints large parts of this picture whenever a preset arrives: an opaque copy is
    // drawn by plain copying instead of blending, several times faster.
    constexpr juce::int64 opaqueCopyHash = 0x4b4152564f504151;
    auto image = juce::ImageCache::getFromHashCode (opaqueCopyHash);

    if (! image.isValid())
    {
        image = juce::ImageCache::getFromMemory (KarveloResources::hardware_background_png,
                                                 KarveloResources::hardware_background_pngSize)
                    .convertedToFormat (juce::Image::RGB);
        juce::ImageCache::addImageToCache (image, opaqueCopyHash);
    }

    return image;
}

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
