#include "ApplicationFixture.h"
#include "GuiTestSupport.h"
#include "app/CommandIDs.h"

// Last of the project's headers: it brings X11's macros.
#include "EditorProcess.h"

#include <X11/Xatom.h>

#undef KeyPress // an X event type, and juce::KeyPress below

namespace
{
using Zoom = ApplicationFixture;

// The size of a window on the X server, in the screen's pixels, once it has settled at the expected
// one (or after two seconds).
juce::Rectangle<int> sizeOnScreen (juce::Component& window, juce::Point<int> expected)
{
    auto* x = XOpenDisplay (nullptr);
    XWindowAttributes attributes{};
    MessageLoop::runUntil (
        [&]
        {
            XGetWindowAttributes (x, reinterpret_cast<Window> (window.getPeer()->getNativeHandle()),
                                  &attributes);
            return std::abs (attributes.width - expected.x) <= 1
                   && std::abs (attributes.height - expected.y) <= 1;
        },
        2000);
    XCloseDisplay (x);
    return { attributes.width, attributes.height };
}

// The View menu's items that carry a tick, by their text.
juce::StringArray tickedZoomItems (MainMenuModel& menus)
{
    juce::StringArray ticked;

    const auto view = menus.getMenuForIndex (2, "View");

    for (juce::PopupMenu::MenuItemIterator item (view, true); item.next();)
        if (item.getItem().isTicked)
            ticked.add (item.getItem().text);

    return ticked;
}
} // namespace

TEST_F (Zoom, ScalesAndIsRemembered)
{
    start();
    auto& w = window (0);
    EXPECT_EQ (app->getMenuModel()->getMenuBarNames().joinIntoString (" "), "File Edit View Window Help");
    EXPECT_EQ (tickedZoomItems (*app->getMenuModel()), juce::StringArray ("100 %"));

    // An edit made, and another being typed into the first knob's number box.
    GuiTestSupport::enter (panelOf (w).getKnobView (1).getCcBox(), "99");
    auto& box = panelOf (w).getKnobView (0).getCcBox();
    box.showEditor();
    GuiTestSupport::type (*box.getCurrentTextEditor(), "12");
    const auto preset = presetOf (w).getData();
    const juce::Point<int> layout (w.getWidth(), w.getHeight());
    ASSERT_EQ (layout, juce::Point<int> (940, 721 + w.getMenuBarComponent()->getHeight()));

    for (int i = 0; i < (int) UserSettings::zoomPercents.size(); ++i)
    {
        const auto percent = UserSettings::zoomPercents[(size_t) i];
        SCOPED_TRACE (percent);
        invoke (CommandIDs::zoom75 + i);
        const auto expected = (layout.toFloat() * (float) percent / 100.0f).roundToInt();
        const auto onScreen = sizeOnScreen (w, expected);
        EXPECT_NEAR (onScreen.getWidth(), expected.x, 1);
        EXPECT_NEAR (onScreen.getHeight(), expected.y, 1);
        EXPECT_EQ (juce::Point<int> (w.getWidth(), w.getHeight()), layout)
            << "the layout inside changed size";
        EXPECT_EQ (tickedZoomItems (*app->getMenuModel()), juce::StringArray (juce::String (percent) + " %"));

        // A 1366 x 768 laptop screen keeps about 100 pixels for a panel and the window's title bar.
        if (percent == 75)
        {
            EXPECT_TRUE (onScreen.getWidth() <= 1366 && onScreen.getHeight() <= 768 - 100)
                << onScreen.toString();
        }

        EXPECT_EQ (presetOf (w).getData(), preset);
        EXPECT_TRUE (w.hasUnsavedEdits());
        ASSERT_NE (box.getCurrentTextEditor(), nullptr) << "the entry being typed was closed";
        EXPECT_EQ (box.getCurrentTextEditor()->getText(), "12");
        EXPECT_TRUE (box.getCurrentTextEditor()->hasKeyboardFocus (true));
    }

    // The keys: Ctrl+- and Ctrl++ step through the levels, Ctrl+0 is 100 %, and nothing goes past 200 %.
    const auto ctrl = juce::ModifierKeys::commandModifier;
    box.hideEditor (true);

    for (auto [key, percent] :
         { std::pair (juce::KeyPress ('+', ctrl, '+'), 200), std::pair (juce::KeyPress ('-', ctrl, '-'), 150),
           std::pair (juce::KeyPress ('0', ctrl, '0'), 100),
           std::pair (juce::KeyPress ('+', ctrl | juce::ModifierKeys::shiftModifier, '+'), 125) })
    {
        GuiTestSupport::pressKeyInWindow (w, key);
        MessageLoop::drain();
        EXPECT_EQ (app->getUserSettings()->getZoomPercent(), percent) << key.getTextDescription();
    }

    invoke (CommandIDs::zoom150);
    stop();
    EXPECT_EQ (juce::Desktop::getInstance().getGlobalScaleFactor(), 1.0f) << "the desktop was left scaled";
    start ({}, { DesktopServices::Answer::no }); // the edits left are discarded
    EXPECT_EQ (tickedZoomItems (*app->getMenuModel()), juce::StringArray ("150 %"));
    EXPECT_NEAR (sizeOnScreen (window (0), { 1410, 1118 }).getWidth(), 1410, 1);
}

// A desktop scale of 2, as JUCE finds it: from the screen's resolution, where no desktop setting
// names a scale (no GNOME settings schema is installed for the editor) and a window manager has
// published the work area (without one JUCE reads no scale at all). The panel must then be drawn
// from the picture rendered at twice the size, pixel for pixel, not from its picture made larger.
TEST_F (Zoom, SharpAtScaleTwo)
{
    PrivateDisplay display (192);
    ASSERT_TRUE (display.name.isNotEmpty()) << "no Xvfb";
    auto* x = XOpenDisplay (display.name.toRawUTF8());
    ASSERT_NE (x, nullptr);
    const long workArea[] = { 0, 0, 1280, 1024 };
    XChangeProperty (x, DefaultRootWindow (x), XInternAtom (x, "_NET_WORKAREA", False), XA_CARDINAL, 32,
                     PropModeReplace, reinterpret_cast<const unsigned char*> (workArea), 4);
    XSync (x, False);

    const auto noSchemas = folder.getChildFile ("no-schemas");
    ASSERT_TRUE (noSchemas.createDirectory());
    EditorProcess editor ({},
                          { { "DISPLAY", display.name },
                            { "XDG_DATA_DIRS", noSchemas.getFullPathName() },
                            { "XDG_DATA_HOME", folder.getChildFile ("data").getFullPathName() } },
                          folder.get());
    const auto corner = DisplayUser (display.name).waitForWindow ("Karvelo Editor Untitled 1");
    ASSERT_TRUE (corner.has_value()) << editor.getErrors();

    // The top-left corner of the panel without views: its title, a screw, strip 1's number.
    const juce::Rectangle<int> area (16, 8, 200, 130);
    const auto expected =
        juce::ImageFileFormat::loadFrom (
            juce::File (KARVELO_TEST_DATA_DIR).getSiblingFile ("../resources/hardware_background@2x.png"))
            .getClippedImage (area * 2);
    ASSERT_EQ (expected.getWidth(), 400);
    const auto panel =
        *corner
        + juce::Point<int> (0, 2 * juce::LookAndFeel::getDefaultLookAndFeel().getDefaultMenuBarHeight());

    int differing = 0;
    MessageLoop::runUntil (
        [&]
        {
            auto* shown = XGetImage (x, DefaultRootWindow (x), panel.x + area.getX() * 2,
                                     panel.y + area.getY() * 2, (unsigned) expected.getWidth(),
                                     (unsigned) expected.getHeight(), AllPlanes, ZPixmap);
            differing = 0;

            if (shown == nullptr)
                return false;

            for (int py = 0; py < expected.getHeight(); ++py)
                for (int px = 0; px < expected.getWidth(); ++px)
                {
                    const auto pixel = XGetPixel (shown, px, py);
                    const auto want = expected.getPixelAt (px, py);
                    differing += std::abs ((int) ((pixel >> 16) & 0xff) - want.getRed()) > 8
                                 || std::abs ((int) ((pixel >> 8) & 0xff) - want.getGreen()) > 8
                                 || std::abs ((int) (pixel & 0xff) - want.getBlue()) > 8;
                }

            XDestroyImage (shown);
            return differing == 0;
        },
        10000);

    EXPECT_EQ (differing, 0) << "of " << expected.getWidth() * expected.getHeight() << " pixels";
    XCloseDisplay (x);
}
