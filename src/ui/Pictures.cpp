#include "Pictures.h"

#include "KarveloResources.h"

#include <future>

#define KARVELO_PICTURE(function, resource)                                                                  \
    juce::Image function()                                                                                   \
    {                                                                                                        \
        return juce::ImageCache::getFromMemory (KarveloResources::resource##_png,                            \
                                                KarveloResources::resource##_pngSize);                       \
    }

namespace
{
/** The picture of the controller, decoded on a thread of its own as soon as it is first asked for,
    and kept until JUCE shuts down.

    Decoding it is the largest single piece of work before the first window can be painted (about
    40% of the instructions of a start), and the message thread meanwhile has the window and its 57
    views to build: with two cores, the two happen side by side. An opaque copy is kept because the
    panel repaints large parts of it whenever a preset arrives, and an opaque picture is drawn by
    plain copying instead of blending. Kept here rather than in juce::ImageCache, which would drop
    it after a few idle seconds and decode it again on the next repaint.
*/
class HardwareBackground : public juce::DeletedAtShutdown
{
public:
    ~HardwareBackground() override { clearSingletonInstance(); }

    juce::Image get() { return picture.get(); }

    JUCE_DECLARE_SINGLETON_SINGLETHREADED_MINIMAL (HardwareBackground)

private:
    std::shared_future<juce::Image> picture =
        std::async (std::launch::async,
                    []
                    {
                        // Called on the decoding thread.
                        return juce::ImageFileFormat::loadFrom (KarveloResources::hardware_background_png,
                                                                KarveloResources::hardware_background_pngSize)
                            .convertedToFormat (juce::Image::RGB);
                    })
            .share();
};

JUCE_IMPLEMENT_SINGLETON (HardwareBackground)
} // namespace

namespace Pictures
{
void startDecoding()
{
    HardwareBackground::getInstance();
}

juce::Image hardwareBackground()
{
    return HardwareBackground::getInstance()->get();
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
