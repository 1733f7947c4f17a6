#pragma once

#include "MainWindow.h"

/** The open main windows, in the order they were added. Places each new window and counts every
    window ever added (untitled windows are numbered with that count). */
class WindowManager : public juce::ReferenceCountedObject
{
public:
    using Ptr = juce::ReferenceCountedObjectPtr<WindowManager>;

    ~WindowManager() override;

    /** Holds the window, places it by the number of windows now held (the first at (30, 75), the
        next 15 pixels further right and down) and shows it. */
    void addWindow (MainWindow::Ptr window);

    /** Drops the window, which closes it unless someone else holds it. */
    void removeWindow (MainWindow* window);

    /** A copy of the list, for callers that remove windows while walking it. */
    juce::ReferenceCountedArray<MainWindow> getWindows() const;

    int getNumWindows() const;
    int getNumWindowsCreated() const;

    /** The last window of the list that is the active top-level window, if any. */
    MainWindow::Ptr getActiveWindow() const;

    /** Un-minimises every window and brings each to the front, in list order. */
    void bringAllToFront();

    static juce::Point<int> getPositionForWindowCount (int count);

private:
    juce::ReferenceCountedArray<MainWindow> windows;
    int windowsCreated = 0;
};
