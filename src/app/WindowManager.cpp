#include "WindowManager.h"

WindowManager::~WindowManager()
{
    // Closes the remaining windows without questions, newest first.
    while (! windows.isEmpty())
        windows.removeLast();
}

juce::Point<int> WindowManager::getPositionForWindowCount (int count)
{
    return { 15 * count + 15, 15 * count + 60 };
}

void WindowManager::addWindow (MainWindow::Ptr window)
{
    windows.add (window);
    ++windowsCreated;
    window->setTopLeftPosition (getPositionForWindowCount (windows.size()));
    window->setVisible (true);
}

void WindowManager::removeWindow (MainWindow* window)
{
    windows.removeObject (window);
}

juce::ReferenceCountedArray<MainWindow> WindowManager::getWindows() const
{
    return windows;
}

int WindowManager::getNumWindows() const
{
    return windows.size();
}

int WindowManager::getNumWindowsCreated() const
{
    return windowsCreated;
}

MainWindow::Ptr WindowManager::getActiveWindow() const
{
    for (int i = windows.size(); --i >= 0;)
        if (windows.getObjectPointerUnchecked (i)->isActiveWindow())
            return windows[i];

    return nullptr;
}

void WindowManager::bringAllToFront()
{
    for (auto* window : juce::ReferenceCountedArray<MainWindow> (windows))
    {
        window->setMinimised (false);
        window->toFront (true);
    }
}
