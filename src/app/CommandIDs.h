#pragma once

/** The editor's commands. Those of the application work with or without a window; those of a main
    window act on the window that has the focus. */
namespace CommandIDs
{
enum
{
    newDocument = 0x200010,
    openPreset = 0x200020,
    closeWindow = 0x200030,
    save = 0x200040,
    saveAs = 0x200050,
    loadFromHardware = 0x200060,
    sendToHardware = 0x200070,
    midiSetup = 0x200080,
    quit = 0x200090,
    importSysEx = 0x2000a0,
    exportSysEx = 0x2000b0,
    exportMapping = 0x2000c0,
    undo = 0x200100,
    redo = 0x200110,
    copyStrip = 0x200120,
    pasteStrip = 0x200130,
    setEveryChannel = 0x200140,
    zoomIn = 0x200200,
    zoomOut = 0x200210,
    zoom75 = 0x200220, ///< one command for each of UserSettings::zoomPercents, in its order
    zoom100 = 0x200221,
    zoom125 = 0x200222,
    zoom150 = 0x200223,
    zoom200 = 0x200224,
    minimizeWindow = 0x200300,
    bringAllToFront = 0x200310,
    midiMonitor = 0x200320,
    openUserGuide = 0x200400,
    about = 0x200410
};

/** Every command's category. */
inline constexpr const char* category = "General";
} // namespace CommandIDs
