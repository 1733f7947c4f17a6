#include "X11Libraries.h"
#include "ui/Fonts.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

namespace
{
/** Turns every JUCE assertion that fires during a test into a failure of that test; other log
    messages are dropped. */
class AssertionsFailTests : public juce::Logger
{
    void logMessage (const juce::String& message) override
    {
        if (message.startsWith ("JUCE Assertion failure"))
            ADD_FAILURE() << message;
    }
};
} // namespace

int main (int argc, char** argv)
{
    testing::InitGoogleTest (&argc, argv);

    // JUCE installs its X error handlers only in what it takes for an application; without them a
    // window or an alert box under Xvfb ends the process with BadAtom. A non-null factory is enough.
    juce::JUCEApplicationBase::createInstance = []() -> juce::JUCEApplicationBase* { return nullptr; };
    keepX11LibrariesLoaded();

    const juce::ScopedJuceInitialiser_GUI juceInitialiser;
    Fonts::useEmbeddedTypeface(); // text drawn as the editor draws it
    AssertionsFailTests assertions;
    juce::Logger::setCurrentLogger (&assertions);

    const auto result = RUN_ALL_TESTS();

    juce::Logger::setCurrentLogger (nullptr);
    return result;
}
