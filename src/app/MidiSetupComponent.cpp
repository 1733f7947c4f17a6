#include "MidiSetupComponent.h"

#include "ui/Pictures.h"

namespace
{
constexpr int listWidth = 285, listHeight = 100, labelHeight = 20;
constexpr int inputX = 20, outputX = 325, labelY = 70, listY = 95, buttonY = 220;
constexpr int okX = 411, applyX = 514, titleY = 20;
} // namespace

MidiSetupComponent::MidiSetupComponent (ReferenceCountedImageButton::Ptr ok,
                                        ReferenceCountedImageButton::Ptr cancel,
                                        ReferenceCountedImageButton::Ptr apply)
    : okButton (std::move (ok))
    , cancelButton (std::move (cancel))
    , applyButton (std::move (apply))
{
    addAndMakeVisible (okButton.get());
    addAndMakeVisible (cancelButton.get());
    addAndMakeVisible (applyButton.get());

    inputModel = std::make_unique<MidiDeviceListBoxModel>();
    outputModel = std::make_unique<MidiDeviceListBoxModel>();
    inputList = std::make_unique<juce::ListBox> (juce::String(), inputModel.get());
    outputList = std::make_unique<juce::ListBox> (juce::String(), outputModel.get());

    for (auto* list : { inputList.get(), outputList.get() })
    {
        list->setColour (juce::ListBox::backgroundColourId, juce::Colours::black);
        addAndMakeVisible (list);
    }

    inputLabel = std::make_unique<juce::Label>();
    outputLabel = std::make_unique<juce::Label>();

    for (auto* label : { inputLabel.get(), outputLabel.get() })
    {
        addAndMakeVisible (label);
        label->setFont (juce::Font (20.0f, juce::Font::plain));
    }

    inputLabel->setText ("INPUT", juce::dontSendNotification);
    outputLabel->setText ("OUTPUT", juce::dontSendNotification);

    setSize (Pictures::setupBackground().getWidth(), panelHeight);
    setLookAndFeel (&lookAndFeel);

    for (auto* list : { inputList.get(), outputList.get() })
    {
        auto& scrollBar = list->getVerticalScrollBar();
        scrollBar.setColour (juce::ScrollBar::backgroundColourId, juce::Colours::darkgrey);
        scrollBar.setColour (juce::ScrollBar::thumbColourId, juce::Colours::grey);
        list->getViewport()->setScrollBarThickness (CustomLookForAuxiliaryWindows::getScrollBarThickness());
        list->setLookAndFeel (&lookAndFeel);
        list->setColour (juce::ListBox::backgroundColourId,
                         CustomLookForAuxiliaryWindows::getListBackgroundColour());
        list->setSize (listWidth, listHeight);
    }

    inputLabel->setSize (listWidth, labelHeight);
    outputLabel->setSize (listWidth, labelHeight);

    // Drawn over the list, and letting clicks through to it.
    for (auto* message : { &inputEmptyMessage, &outputEmptyMessage })
    {
        message->setJustificationType (juce::Justification::centred);
        message->setFont (juce::Font (13.0f));
        message->setColour (juce::Label::textColourId, juce::Colours::white);
        message->setInterceptsMouseClicks (false, false);
        message->setSize (listWidth - 16, listHeight - 8);
        addChildComponent (message);
    }
}

MidiSetupComponent::~MidiSetupComponent()
{
    inputList->setLookAndFeel (nullptr);
    outputList->setLookAndFeel (nullptr);
    setLookAndFeel (nullptr);
}

void MidiSetupComponent::resized()
{
    inputList->setTopLeftPosition (inputX, listY);
    inputLabel->setTopLeftPosition (inputX, labelY);
    outputList->setTopLeftPosition (outputX, listY);
    outputLabel->setTopLeftPosition (outputList->getX(), labelY);
    inputEmptyMessage.setCentrePosition (inputList->getBounds().getCentre());
    outputEmptyMessage.setCentrePosition (outputList->getBounds().getCentre());
    cancelButton->setTopLeftPosition (inputList->getX(), buttonY);
    applyButton->setTopLeftPosition (applyX, cancelButton->getY());
    okButton->setTopLeftPosition (okX, buttonY);
}

void MidiSetupComponent::paint (juce::Graphics& g)
{
    Pictures::drawAt (g, Pictures::setupBackground(), 0, 0);

    const auto title = Pictures::midiSetupTitle();
    Pictures::drawAt (g, title, (getWidth() - title.getWidth()) / 2, titleY);

    g.setColour (juce::Colours::black);
    g.drawRect (juce::Rectangle<int> (inputX, listY, listWidth, listHeight).toFloat(), 2.0f);
    g.drawRect (juce::Rectangle<int> (outputX, listY, listWidth, listHeight).toFloat(), 2.0f);
}

void MidiSetupComponent::refreshDeviceLists (MidiManager& midiManager)
{
    devices = &midiManager;
    startTimer (listRefreshMilliseconds);

    inputList->deselectAllRows();
    outputList->deselectAllRows();
    inputModel->selectedDeviceName = {};
    outputModel->selectedDeviceName = {};

    showDevices (*inputList, *inputModel, inputEmptyMessage, midiManager.getAvailableMidiInputNames(),
                 noInputsText);
    showDevices (*outputList, *outputModel, outputEmptyMessage, midiManager.getAvailableMidiOutputNames(),
                 noOutputsText);

    const auto openInputs = midiManager.getOpenMidiInputNames();
    const auto openOutputs = midiManager.getOpenMidiOutputNames();

    if (! openInputs.isEmpty())
        selectInputDevice (openInputs[0]);

    if (! openOutputs.isEmpty())
        selectOutputDevice (openOutputs[0]);
}

void MidiSetupComponent::showDevices (juce::ListBox& list, MidiDeviceListBoxModel& model,
                                      juce::Label& emptyMessage, const juce::StringArray& names,
                                      const juce::String& whenEmpty)
{
    emptyMessage.setText (whenEmpty + "\n\n" + emptyListHint, juce::dontSendNotification);
    emptyMessage.setVisible (names.isEmpty());

    if (names == model.deviceNames)
        return;

    // Rows move when a device comes or goes: the choice is kept by name, not by row.
    const auto chosen = model.selectedDeviceName;
    model.deviceNames = names;
    list.deselectAllRows();
    list.updateContent();
    model.selectedDeviceName = {};

    if (chosen.isNotEmpty())
        selectRowsNamed (list, model, chosen);

    list.repaint();
}

void MidiSetupComponent::timerCallback()
{
    if (devices == nullptr || ! isShowing())
        return;

    showDevices (*inputList, *inputModel, inputEmptyMessage, devices->getAvailableMidiInputNames(),
                 noInputsText);
    showDevices (*outputList, *outputModel, outputEmptyMessage, devices->getAvailableMidiOutputNames(),
                 noOutputsText);
}

juce::String MidiSetupComponent::getInputListMessage() const
{
    return inputEmptyMessage.isVisible() ? inputEmptyMessage.getText() : juce::String();
}

juce::String MidiSetupComponent::getOutputListMessage() const
{
    return outputEmptyMessage.isVisible() ? outputEmptyMessage.getText() : juce::String();
}

void MidiSetupComponent::selectRowsNamed (juce::ListBox& list, const MidiDeviceListBoxModel& model,
                                          const juce::String& name)
{
    for (int row = 0; row < model.deviceNames.size(); ++row)
        if (model.deviceNames[row] == name)
            list.selectRow (row, false, true);
}

void MidiSetupComponent::selectInputDevice (const juce::String& name)
{
    selectRowsNamed (*inputList, *inputModel, name);
}

void MidiSetupComponent::selectOutputDevice (const juce::String& name)
{
    selectRowsNamed (*outputList, *outputModel, name);
}

juce::String MidiSetupComponent::getSelectedInputDeviceName() const
{
    return inputModel->selectedDeviceName;
}

juce::String MidiSetupComponent::getSelectedOutputDeviceName() const
{
    return outputModel->selectedDeviceName;
}
