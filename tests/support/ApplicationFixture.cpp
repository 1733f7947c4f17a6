#include "ApplicationFixture.h"

#include "HexFile.h"
#include "engine/SysExProtocol.h"

#include <stdexcept>

ApplicationFixture::ApplicationFixture()
    : system (VirtualMidiSystem::create())
    , controller (system)
    , scriptedDesktop (std::make_unique<ScriptedDesktopServices>())
{
    desktop = scriptedDesktop.get();
}

ApplicationFixture::~ApplicationFixture()
{
    stop();
}

void ApplicationFixture::start (const juce::String& commandLine)
{
    jassert (app == nullptr && scriptedDesktop != nullptr);

    app = std::make_unique<KarveloEditorApplication> ([this] { return system->createLayer(); },
                                                      std::move (scriptedDesktop), answerTimeout);
    app->initialise (commandLine);
}

void ApplicationFixture::stop()
{
    if (app == nullptr)
        return;

    app->shutdown();
    app = nullptr;
    MessageLoop::drain();
}

juce::ReferenceCountedArray<MainWindow> ApplicationFixture::windows() const
{
    return app->getWindowManager()->getWindows();
}

MainWindow& ApplicationFixture::window (int index) const
{
    auto* found = app->getWindowManager()->getWindows()[index].get();
    jassert (found != nullptr);
    return *found;
}

MainContentComponent& ApplicationFixture::panelOf (MainWindow& mainWindow) const
{
    auto* panel = dynamic_cast<MainContentComponent*> (mainWindow.getContentComponent());
    jassert (panel != nullptr);
    return *panel;
}

KARVELOEditorPreset& ApplicationFixture::presetOf (MainWindow& mainWindow) const
{
    return *panelOf (mainWindow).getPreset();
}

void ApplicationFixture::invoke (MainWindow& mainWindow, juce::CommandID command)
{
    mainWindow.invoke (juce::ApplicationCommandTarget::InvocationInfo (command), false);
}

void ApplicationFixture::invoke (juce::CommandID command)
{
    app->invoke (juce::ApplicationCommandTarget::InvocationInfo (command), false);
}

juce::File ApplicationFixture::writePresetFile (const juce::String& name, const ByteArray& block)
{
    KARVELOEditorPreset preset;
    EXPECT_TRUE (preset.setData (block));
    const auto image = SysExProtocol::createFileImage (KARVELOEditorEngine::productId, preset);
    const auto file = folder.getChildFile (name);
    EXPECT_TRUE (file.replaceWithData (image.begin(), static_cast<size_t> (image.size())));
    return file;
}

void ApplicationFixture::settle (int milliseconds)
{
    MessageLoop::runFor (milliseconds);
}

ByteArray ApplicationFixture::factoryPresetBlock()
{
    const auto message = HexFile::read ("factory_preset.hex");
    return ByteArray (message.begin() + 7, KARVELOEditorPreset::dataSize);
}

ByteArray ApplicationFixture::variedBlock (int seed)
{
    ByteArray block;

    for (int i = 0; i < KARVELOEditorPreset::numKnobs + KARVELOEditorPreset::numFaders; ++i)
    {
        block.add (static_cast<juce::uint8> (1 + (i + seed) % 15));
        block.add (static_cast<juce::uint8> ((i * 7 + seed * 3 + 1) % 128));
    }

    for (int i = 0; i < KARVELOEditorPreset::numSwitches; ++i)
    {
        block.add (static_cast<juce::uint8> (1 + (i * 5 + seed) % 15));
        block.add (static_cast<juce::uint8> ((i + seed) % 2));
        block.add (static_cast<juce::uint8> ((i * 11 + seed + 2) % 128));
    }

    return block;
}

ByteArray ApplicationFixture::fileImageOf (const ByteArray& block)
{
    ByteArray image{ 0xF0, 0x47, 0x00, 0x31, 0x67, 0x01, 0x0A };
    image.addArray (block);
    image.add (0xF7);
    return image;
}

ByteArray ApplicationFixture::contentsOf (const juce::File& file)
{
    juce::MemoryBlock data;

    if (! file.loadFileAsData (data))
        return {};

    return ByteArray (static_cast<const juce::uint8*> (data.getData()), static_cast<int> (data.getSize()));
}

std::vector<juce::String> ApplicationFixture::listOf (const juce::StringArray& strings)
{
    return { strings.begin(), strings.end() };
}

std::vector<juce::String> ApplicationFixture::titles() const
{
    std::vector<juce::String> names;

    for (auto* mainWindow : windows())
        names.push_back (mainWindow->getName());

    return names;
}

std::vector<juce::String> ApplicationFixture::openInputs() const
{
    return listOf (app->getMidiManager()->getOpenMidiInputNames());
}

std::vector<juce::String> ApplicationFixture::openOutputs() const
{
    return listOf (app->getMidiManager()->getOpenMidiOutputNames());
}

juce::Button& ApplicationFixture::setupButton (const juce::String& name) const
{
    auto setup = app->getMidiSetupWindow();
    jassert (setup != nullptr);

    for (auto* child : setup->getPanel().getChildren())
        if (auto* button = dynamic_cast<juce::Button*> (child);
            button != nullptr && button->getName() == name)
            return *button;

    jassertfalse;
    throw std::logic_error ("no such button");
}
