#pragma once

#include <dlfcn.h>

#include <initializer_list>

/** JUCE loads the X11 libraries itself and unloads them when it shuts down, before the process
    ends. What those libraries still hold then is reachable only from their own data, which is gone
    with them, so LeakSanitizer would report every allocation of the X connection as a leak. One more
    reference, never dropped, keeps them loaded to the end. Call before JUCE starts. */
inline void keepX11LibrariesLoaded()
{
    for (auto* name : { "libX11.so.6", "libXext.so.6", "libXcursor.so.1", "libXinerama.so.1",
                        "libXrender.so.1", "libXrandr.so.2" })
        dlopen (name, RTLD_LAZY | RTLD_NODELETE);
}
