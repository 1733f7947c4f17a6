#include "AboutWindow.h"

#include "ui/ProductInfo.h"

AboutWindow::AboutWindow (juce::Image picture)
    : juce::ResizableWindow (juce::String ("About ") + ProductInfo::name, true)
    , panel (new AboutComponent (std::move (picture)))
{
    // The window shows the panel without owning it: the counted reference keeps it.
    setContentNonOwned (panel.get(), true);
    setUsingNativeTitleBar (false);
    setResizable (false, false);
    centreWithSize (panel->getWidth(), panel->getHeight());
    setAlwaysOnTop (true);
    setVisible (true);
}

AboutWindow::~AboutWindow()
{
    clearContentComponent();
}
