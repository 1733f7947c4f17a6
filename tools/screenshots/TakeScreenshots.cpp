// Takes the pictures of the user guide and the README from the editor itself: the real application
// object on virtual MIDI devices, with a simulated controller answering, driven as a user would
// drive it on the X display it is given (scripts/take-screenshots starts a private one). Every
// picture is written twice, name.png at scale 1 and name@2x.png painted by the same code at scale
// 2, as a desktop at twice the density shows it.
//
//   karvelo_screenshots FOLDER

#include "DialogsRefused.h"
#include "MessageLoop.h"
#include "SimulatedKarvelo.h"
#include "app/CommandIDs.h"
#include "app/KarveloEditorApplication.h"
#include "app/NativeDesktopServices.h"
#include "ui/MainContentComponent.h"

#include <cstdio>
#include <cstdlib>

namespace
{
constexpr float scales[] = { 1.0f, 2.0f };
const auto desktopColour = juce::Colour (0xff3c4650);

/** The desktop's own message boxes; the questions and dialogs that nothing here should ask are
    answered Cancel, and the program never quits by itself. */
class ScreenshotDesktop : public DialogsRefused<NativeDesktopServices>
{
public:
    Answer askYesNoCancel (const juce::String&, const juce::String&) override { return Answer::cancel; }
};

[[noreturn]] void fail (const juce::String& what)
{
    std::fprintf (stderr, "karvelo_screenshots: %s\n", what.toRawUTF8());
    std::exit (1);
}

void writePicture (const juce::File& file, const juce::Image& image)
{
    file.deleteFile();
    juce::FileOutputStream stream (file);

    if (! image.isValid() || ! stream.openedOk()
        || ! juce::PNGImageFormat().writeImageToStream (image, stream))
        fail ("cannot write " + file.getFullPathName());

    std::printf ("%s\n", file.getFullPathName().toRawUTF8());
}

/** A picture at each scale, written as name.png and name@2x.png. */
void write (const juce::File& folder, const juce::String& name,
            const std::function<juce::Image (float)>& paint)
{
    for (auto scale : scales)
        writePicture (folder.getChildFile (name + (scale == 1.0f ? "" : "@2x") + ".png"), paint (scale));
}

juce::Image snapshot (juce::Component& component, float scale)
{
    return component.createComponentSnapshot (component.getLocalBounds(), true, scale);
}

/** What the screen shows in an area (screen coordinates): the editor's visible windows, back to
    front, each painted at the scale, on a plain desktop. */
juce::Image screenArea (juce::Rectangle<int> area, float scale)
{
    juce::Image image (juce::Image::RGB, juce::roundToInt ((float) area.getWidth() * scale),
                       juce::roundToInt ((float) area.getHeight() * scale), true);
    juce::Graphics g (image);
    g.fillAll (desktopColour);
    auto& desktop = juce::Desktop::getInstance();

    // The desktop keeps its windows from the back to the front.
    for (int i = 0; i < desktop.getNumComponents(); ++i)
    {
        auto* window = desktop.getComponent (i);

        if (window == nullptr || ! window->isVisible() || ! window->getScreenBounds().intersects (area))
            continue;

        const auto at = (window->getScreenPosition() - area.getPosition()).toFloat() * scale;
        g.drawImageAt (snapshot (*window, scale), juce::roundToInt (at.x), juce::roundToInt (at.y));
    }

    return image;
}

template <typename Wanted>
Wanted* findOnDesktop()
{
    auto& desktop = juce::Desktop::getInstance();

    for (int i = desktop.getNumComponents(); --i >= 0;)
        if (auto* found = dynamic_cast<Wanted*> (desktop.getComponent (i));
            found != nullptr && found->isVisible())
            return found;

    return nullptr;
}

MainContentComponent* findPanel (juce::Component& component)
{
    if (auto* panel = dynamic_cast<MainContentComponent*> (&component))
        return panel;

    for (auto* child : component.getChildren())
        if (auto* panel = findPanel (*child))
            return panel;

    return nullptr;
}

/** A numbered marker joined to what it names; both in the panel's own coordinates. */
struct Callout
{
    juce::Point<float> target, marker;
};

/** The panel's picture with its callouts drawn on, numbered from 1 in order, at the picture's scale. */
juce::Image drawCallouts (const juce::Image& picture, float scale, const std::vector<Callout>& callouts)
{
    auto image = picture.createCopy();
    juce::Graphics g (image);
    g.addTransform (juce::AffineTransform::scale (scale));
    const auto ink = juce::Colour (0xffffd21f), outline = juce::Colours::black;
    int number = 0;

    for (const auto& callout : callouts)
    {
        const juce::Line<float> leader (callout.marker, callout.target);
        g.setColour (outline);
        g.drawLine (leader, 4.0f);
        g.fillEllipse (juce::Rectangle<float> (8.0f, 8.0f).withCentre (callout.target));
        g.setColour (ink);
        g.drawLine (leader, 2.0f);
        g.fillEllipse (juce::Rectangle<float> (5.0f, 5.0f).withCentre (callout.target));

        const auto circle = juce::Rectangle<float> (24.0f, 24.0f).withCentre (callout.marker);
        g.fillEllipse (circle);
        g.setColour (outline);
        g.drawEllipse (circle, 1.5f);
        g.setFont (juce::Font (15.0f, juce::Font::bold));
        g.drawText (juce::String (++number), circle, juce::Justification::centred, false);
    }

    return image;
}

/** The callouts of the guide's panel picture, in the order its key lists them. */
std::vector<Callout> panelCallouts (MainContentComponent& panel)
{
    const auto areaOf = [&] (juce::Component& c)
    { return panel.getLocalArea (&c, c.getLocalBounds()).toFloat(); };
    const auto leftOf = [&] (juce::Component& c)
    { return areaOf (c).getCentre().withX (areaOf (c).getX() + 3.0f); };
    const auto rightOf = [&] (juce::Component& c)
    { return areaOf (c).getCentre().withX (areaOf (c).getRight() - 3.0f); };
    const auto away = [] (juce::Point<float> p, float dx, float dy) {
        return Callout{ p, p.translated (dx, dy) };
    };

    // The buttons' markers stand in the margin right of strip 8, left of the speaker grille.
    const auto inMargin = [] (juce::Point<float> p, float dy) { return Callout{ p, { 800.0f, p.y + dy } }; };

    auto& knob = panel.getKnobView (0);
    auto& fader = panel.getFaderView (0);
    auto& mute = panel.getSwitchView (7);
    auto& recordArm = panel.getSwitchView (23);
    const auto power = PanelActivity::getLightArea (true).toFloat().getCentre();
    const auto midi = PanelActivity::getLightArea (false).toFloat().getCentre();

    return {
        away (leftOf (knob.getCcBox()), -46.0f, -22.0f),                     // a knob's controller number
        away (leftOf (knob.getChannelBox()), -46.0f, 16.0f),                 // a knob's channel
        inMargin (rightOf (mute.getTypeButton()), 0.0f),                     // a button's type
        inMargin (rightOf (recordArm.getCcBox()), -8.0f),                    // a button's note or controller
        inMargin (rightOf (recordArm.getChannelBox()), 16.0f),               // a button's channel
        away (leftOf (fader.getCcBox()), -46.0f, -20.0f),                    // a fader's boxes
        away (rightOf (panel.getFaderView (8).getCcBox()), 30.0f, -30.0f),   // the master fader
        away (power, 30.0f, 0.0f),                                           // POWER
        away (midi, -30.0f, 0.0f),                                           // MIDI
        away (rightOf (panel.getFaderView (4).getCcBox()), 30.0f, -30.0f),   // a conflict
        inMargin (rightOf (panel.getSwitchView (15).getChannelBox()), 0.0f), // an amber channel
        away (areaOf (panel.getKnobView (7)).getCentre(), 40.0f, -30.0f),    // a control touched
        away (rightOf (panel.getKnobView (9).getCcBox()), 26.0f, -22.0f),    // the box with the focus
    };
}

void setBox (NumberBoxComponent<int>& box, int value)
{
    box.setValue (value, juce::sendNotificationSync);
    MessageLoop::drain();
}

juce::JUCEApplicationBase* noApplication()
{
    return nullptr;
}
} // namespace

int main (int argc, char* argv[])
{
    if (argc != 2 && argc != 3)
        fail ("usage: karvelo_screenshots FOLDER [PANEL-REFERENCE.png]");

    const auto folder =
        juce::File::getCurrentWorkingDirectory().getChildFile (juce::String::fromUTF8 (argv[1]));
    const auto scratch = juce::File::getSpecialLocation (juce::File::tempDirectory)
                             .getNonexistentChildFile ("karvelo-screenshots", {}, false);

    if (! folder.createDirectory() || ! scratch.createDirectory())
        fail ("cannot create " + folder.getFullPathName() + " and " + scratch.getFullPathName());

    // Settings of its own, so that neither the user's recent files show nor are they changed.
    setenv ("XDG_CONFIG_HOME", scratch.getChildFile ("config").getFullPathName().toRawUTF8(), 1);

    juce::JUCEApplicationBase::createInstance = &noApplication;
    const juce::ScopedJuceInitialiser_GUI juceInitialiser;

    // What a Linux machine lists: the system's through port, and the controller as its USB MIDI
    // driver names it.
    const auto system = VirtualMidiSystem::create();
    system->plugInput ("Midi Through Port-0");
    system->plugOutput ("Midi Through Port-0");
    SimulatedKarvelo controller (system, "Karvelo MIDI 1");
    EditorPreset::Ptr newPreset;

    {
        KarveloEditorApplication app ([system] { return system->createLayer(); },
                                      std::make_unique<ScreenshotDesktop>());
        app.initialise ({});
        MessageLoop::runFor (300);
        auto window = app.getWindowManager()->getWindows().getFirst();
        auto* found = window != nullptr ? findPanel (*window) : nullptr;

        if (found == nullptr)
            fail ("the editor opened no window");

        auto& panel = *found;

        // A preset of the user's: the mute buttons send controllers 70 to 77, strip 8 is on channel 2.
        auto preset = app.createDefaultPreset();
        auto block = preset->getData();

        for (int strip = 0; strip < 8; ++strip)
        {
            block.set (66 + 3 * strip + 1, 1);
            block.set (66 + 3 * strip + 2, static_cast<juce::uint8> (70 + strip));
        }

        for (int offset : { 42, 44, 46, 62 })
            block.set (offset, 1);

        preset->setData (block);
        controller.setBlock (block);
        const auto file = scratch.getChildFile ("Live Set.karvelo");

        if (! app.getEngine()->savePresetFile (file, preset))
            fail ("cannot write " + file.getFullPathName());

        window->openFile (file);
        MessageLoop::runFor (400);
        write (folder, "main-window", [&] (float scale) { return snapshot (*window, scale); });

        app.showMidiSetupWindow();
        MessageLoop::runFor (700);
        write (folder, "midi-setup",
               [&] (float scale) { return snapshot (*app.getMidiSetupWindow(), scale); });
        app.closeMidiSetupWindow();

        // The monitor lists what follows.
        app.showMidiMonitorWindow();
        auto monitor = app.getMidiMonitorWindow();
        monitor->setSize (720, 300);

        // The controller holds a preset with a channel byte beyond MIDI's sixteen (strip 8's solo
        // button), which Load From Hardware brings into the window.
        auto held = block;
        held.set (66 + 3 * 23, 20);
        controller.setBlock (held);
        window->toFront (true);
        window->invoke (juce::ApplicationCommandTarget::InvocationInfo (CommandIDs::loadFromHardware), false);
        MessageLoop::runFor (300);

        // Edits: strip 5's fader onto the master fader's controller, strip 6's mute button onto what
        // strip 1's first knob sends.
        setBox (panel.getSwitchView (5).getCcBox(), 16);
        setBox (panel.getFaderView (4).getCcBox(), 62);

        // Send To Hardware, acknowledged.
        window->invoke (juce::ApplicationCommandTarget::InvocationInfo (CommandIDs::sendToHardware), false);
        MessageLoop::runFor (300);

        // The user presses strip 1's solo button and moves strip 2's fader and strip 3's second
        // knob; the MIDI light's flash is caught while the knob's last message is still fresh.
        window->toFront (true);
        panel.getKnobView (9).getCcBox().grabKeyboardFocus();
        controller.sendFromController (juce::MidiMessage::noteOn (1, 2, (juce::uint8) 127));
        controller.sendFromController (juce::MidiMessage::noteOff (1, 2, (juce::uint8) 0));
        controller.sendFromController (juce::MidiMessage::controllerEvent (1, 23, 80));
        controller.waitUntilIdle();
        MessageLoop::runFor (100);
        controller.sendFromController (juce::MidiMessage::controllerEvent (1, 25, 100));
        controller.waitUntilIdle();
        MessageLoop::runUntil ([&] { return panel.getActivity().isMidiLit(); }, 500);
        MessageLoop::runFor (30);

        juce::Image live[2];
        write (folder, "panel-live",
               [&] (float scale) { return live[scale == 1.0f ? 0 : 1] = snapshot (panel, scale); });

        const auto callouts = panelCallouts (panel);
        write (folder, "panel-callouts",
               [&] (float scale) { return drawCallouts (live[scale == 1.0f ? 0 : 1], scale, callouts); });

        write (folder, "midi-monitor", [&] (float scale) { return snapshot (*monitor, scale); });
        monitor->setVisible (false);

        // The Edit menu, naming the last edit.
        window->toFront (true);
        MessageLoop::runFor (100);

        if (auto* menuBar = dynamic_cast<juce::MenuBarComponent*> (window->getMenuBarComponent()))
            menuBar->showMenu (1);

        MessageLoop::runFor (400);
        auto* menu = findOnDesktop<juce::Component>();

        if (menu == nullptr || menu == window.get())
            fail ("the Edit menu did not open");

        const auto menuArea = window->getScreenBounds()
                                  .withRight (menu->getScreenBounds().getRight() + 60)
                                  .withBottom (menu->getScreenBounds().getBottom() + 40);
        write (folder, "edit-menu", [&] (float scale) { return screenArea (menuArea, scale); });
        juce::PopupMenu::dismissAllActiveMenus();
        MessageLoop::runFor (200);

        // A send the controller does not answer.
        SimulatedKarvelo::Faults silent;
        silent.noAnswer = true;
        controller.setFaults (silent);
        window->invoke (juce::ApplicationCommandTarget::InvocationInfo (CommandIDs::sendToHardware), false);
        MessageLoop::runUntil ([] { return findOnDesktop<juce::AlertWindow>() != nullptr; });
        auto* box = findOnDesktop<juce::AlertWindow>();

        if (box == nullptr)
            fail ("no message box after a send nobody answered");

        MessageLoop::runFor (200);
        write (folder, "message-no-acknowledgement",
               [&] (float scale) { return screenArea (box->getScreenBounds().expanded (24), scale); });
        box->exitModalState (0);
        MessageLoop::runFor (200);

        newPreset = app.createDefaultPreset();
        monitor = nullptr;
        window = nullptr;
        app.shutdown();
    }

    // The panel test's reference picture, when asked for: a new preset's panel as it paints itself.
    if (argc == 3)
    {
        MainContentComponent panel (dynamic_cast<KARVELOEditorPreset*> (newPreset.get()));
        panel.setSize (940, 721);
        MessageLoop::runFor (100);
        writePicture (
            juce::File::getCurrentWorkingDirectory().getChildFile (juce::String::fromUTF8 (argv[2])),
            snapshot (panel, 1.0f));
    }

    scratch.deleteRecursively();
    return 0;
}
