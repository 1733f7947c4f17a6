// The framework's floor: a bare JUCE program built from the same static JUCE library with the same
// flags as the editor, opening empty 940 x 721 windows (one, or as many as its argument says). They
// are grey rather than black so that the benchmark sees their first paint against a black screen.

#include <juce_gui_basics/juce_gui_basics.h>

namespace
{
class EmptyWindow : public juce::DocumentWindow
{
public:
    explicit EmptyWindow (int number)
        : juce::DocumentWindow ("Floor Window " + juce::String (number), juce::Colours::grey,
                                juce::DocumentWindow::minimiseButton | juce::DocumentWindow::closeButton,
                                true)
    {
        setUsingNativeTitleBar (true);
        content.setSize (940, 721);
        setContentNonOwned (&content, true);
        setTopLeftPosition (15 * number + 15, 15 * number + 60);
        setVisible (true);
    }

    ~EmptyWindow() override { clearContentComponent(); }

    void closeButtonPressed() override { juce::JUCEApplicationBase::quit(); }

private:
    juce::Component content;
};

class FloorApplication : public juce::JUCEApplication
{
public:
    const juce::String getApplicationName() override { return "Floor Window"; }
    const juce::String getApplicationVersion() override { return "1.0"; }
    bool moreThanOneInstanceAllowed() override { return true; }

    void initialise (const juce::String& commandLine) override
    {
        const auto count = juce::jmax (1, commandLine.trim().getIntValue());

        for (int i = 1; i <= count; ++i)
            windows.add (new EmptyWindow (i));
    }

    void shutdown() override { windows.clear(); }

private:
    juce::OwnedArray<EmptyWindow> windows;
};

juce::JUCEApplicationBase* createFloor()
{
    return new FloorApplication();
}
} // namespace

int main (int argc, char* argv[])
{
    juce::JUCEApplicationBase::createInstance = &createFloor;
    return juce::JUCEApplicationBase::main (argc, const_cast<const char**> (argv));
}
