#include "KarveloTool.h"
#include "engine/JuceMidiDeviceLayer.h"

#include <iostream>

int main (int argc, char* argv[])
{
    juce::StringArray arguments;

    for (int i = 1; i < argc; ++i)
        arguments.add (juce::String::fromUTF8 (argv[i]));

    const KarveloTool::Environment environment{ std::cout, std::cerr,
                                                [] { return std::make_unique<JuceMidiDeviceLayer>(); } };
    return KarveloTool::run (arguments, environment);
}
