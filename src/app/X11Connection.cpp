#include "X11Connection.h"

#if JUCE_LINUX
#include <dlfcn.h>
#include <unistd.h>
#endif

namespace X11Connection
{
#if JUCE_LINUX
namespace
{
// Xlib is loaded at run time, as JUCE loads it: the editor does not link against it.
void* loadXlib()
{
    static void* const library = dlopen ("libX11.so.6", RTLD_LAZY);
    return library;
}

template <typename Function>
Function findSymbol (const char* name)
{
    auto* library = loadXlib();
    return library != nullptr ? reinterpret_cast<Function> (dlsym (library, name)) : nullptr;
}

void (*connectionLost)() = nullptr;

int handleLostConnection (void*)
{
    if (connectionLost != nullptr)
        connectionLost();

    static constexpr char line[] = "lost the connection to the X display\n";
    [[maybe_unused]] const auto written = write (STDERR_FILENO, line, sizeof (line) - 1);
    _exit (1);
}
} // namespace

std::optional<juce::String> findWhyDisplayCannotOpen()
{
    const juce::String prefix = "cannot open the X display";
    const auto* name = std::getenv ("DISPLAY");

    if (name == nullptr || *name == 0)
        return prefix + " (DISPLAY is not set)";

    using OpenDisplay = void* (*) (const char*);
    const auto openDisplay = findSymbol<OpenDisplay> ("XOpenDisplay");

    if (openDisplay == nullptr)
        return prefix + " " + juce::String (name).quoted() + " (libX11.so.6 cannot be loaded)";

    // The connection stays open, idle, until the process ends: an X server whose last client
    // leaves resets itself, and JUCE's own connection, opened a moment later, could then be refused.
    static void* const display = openDisplay (name);

    if (display == nullptr)
        return prefix + " " + juce::String (name).quoted();

    return std::nullopt;
}

void whenConnectionIsLost (void (*lastWords)())
{
    using IOErrorHandler = int (*) (void*);
    using SetIOErrorHandler = IOErrorHandler (*) (IOErrorHandler);

    connectionLost = lastWords;

    if (const auto setHandler = findSymbol<SetIOErrorHandler> ("XSetIOErrorHandler"))
        setHandler (&handleLostConnection);
}
#else
std::optional<juce::String> findWhyDisplayCannotOpen()
{
    return std::nullopt;
}

void whenConnectionIsLost (void (*)()) {}
#endif
} // namespace X11Connection
