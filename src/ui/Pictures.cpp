#include "Pictures.h"

#include "KarveloResources.h"

#include <array>
#include <future>
#include <iterator>

// Every picture but the controller's: the function handing it out and its two embedded renderings.
#define KARVELO_SMALL_PICTURES(X)                                                                            \
    X (switchOn, switch_on)                                                                                  \
    X (switchOff, switch_off)                                                                                \
    X (aboutBackground, about_background)                                                                    \
    X (setupBackground, setup_background)                                                                    \
    X (midiSetupTitle, midi_setup_title)                                                                     \
    X (applyNormal, apply_normal)                                                                            \
    X (applyOver, apply_over)                                                                                \
    X (applyDown, apply_down)                                                                                \
    X (okNormal, ok_normal)                                                                                  \
    X (okOver, ok_over)                                                                                      \
    X (okDown, ok_down)                                                                                      \
    X (cancelNormal, cancel_normal)                                                                          \
    X (cancelOver, cancel_over)                                                                              \
    X (cancelDown, cancel_down)

namespace
{
struct Rendering
{
    const char* data;
    int size;
};

#define KARVELO_TWICE_THE_SIZE(function, resource)                                                           \
    Rendering{ KarveloResources::resource##2x_png, KarveloResources::resource##2x_pngSize },

// The renderings at twice the size; a picture handed out here names its own by an index into this
// table, kept with its pixels.
const Rendering twiceTheSize[] = { Rendering{ KarveloResources::hardware_background2x_png,
                                              KarveloResources::hardware_background2x_pngSize },
                                   KARVELO_SMALL_PICTURES (KARVELO_TWICE_THE_SIZE) };
#undef KARVELO_TWICE_THE_SIZE

enum PictureIndex
{
    hardwareBackgroundIndex,
#define KARVELO_INDEX(function, resource) function##Index,
    KARVELO_SMALL_PICTURES (KARVELO_INDEX)
#undef KARVELO_INDEX
};

const juce::Identifier twiceTheSizeKey ("twiceTheSize");

juce::Image withTwiceTheSize (juce::Image picture, int index)
{
    if (auto* properties = picture.getProperties())
        properties->set (twiceTheSizeKey, index);

    return picture;
}

juce::Image decodeOpaque (const void* data, int size)
{
    return juce::ImageFileFormat::loadFrom (data, (size_t) size).convertedToFormat (juce::Image::RGB);
}

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
                        return withTwiceTheSize (decodeOpaque (KarveloResources::hardware_background_png,
                                                               KarveloResources::hardware_background_pngSize),
                                                 hardwareBackgroundIndex);
                    })
            .share();
};

JUCE_IMPLEMENT_SINGLETON (HardwareBackground)

/** The renderings at twice the size, each decoded the first time a screen needs it and kept until
    JUCE shuts down, as the controller's picture is: at a desktop scale of 1 and a zoom of 100 %
    none is ever decoded. */
class TwiceTheSize : public juce::DeletedAtShutdown
{
public:
    ~TwiceTheSize() override { clearSingletonInstance(); }

    juce::Image get (int index)
    {
        auto& picture = pictures[(size_t) index];

        if (picture.isNull())
        {
            const auto& rendering = twiceTheSize[index];
            picture = index == hardwareBackgroundIndex
                          ? decodeOpaque (rendering.data, rendering.size)
                          : juce::ImageFileFormat::loadFrom (rendering.data, (size_t) rendering.size);
        }

        return picture;
    }

    JUCE_DECLARE_SINGLETON_SINGLETHREADED_MINIMAL (TwiceTheSize)

private:
    std::array<juce::Image, std::size (twiceTheSize)> pictures;
};

JUCE_IMPLEMENT_SINGLETON (TwiceTheSize)
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

#define KARVELO_PICTURE(function, resource)                                                                  \
    juce::Image function()                                                                                   \
    {                                                                                                        \
        return withTwiceTheSize (juce::ImageCache::getFromMemory (KarveloResources::resource##_png,          \
                                                                  KarveloResources::resource##_pngSize),     \
                                 function##Index);                                                           \
    }

KARVELO_SMALL_PICTURES (KARVELO_PICTURE)
#undef KARVELO_PICTURE

juce::Image forContext (juce::Graphics& g, const juce::Image& picture)
{
    // A zoom of 125 % gets the larger rendering too: made smaller, it stays sharper than the
    // picture made larger.
    constexpr float oneToOne = 1.01f;

    if (g.getInternalContext().getPhysicalPixelScaleFactor() <= oneToOne)
        return picture;

    const auto* properties = picture.getProperties();
    const auto* index = properties != nullptr ? properties->getVarPointer (twiceTheSizeKey) : nullptr;
    return index != nullptr ? TwiceTheSize::getInstance()->get ((int) *index) : picture;
}

void drawAt (juce::Graphics& g, const juce::Image& picture, int x, int y)
{
    const auto drawn = forContext (g, picture);

    if (drawn == picture)
        g.drawImageAt (picture, x, y, false);
    else
        g.drawImage (drawn, picture.getBounds().toFloat() + juce::Point<float> ((float) x, (float) y));
}

} // namespace Pictures
