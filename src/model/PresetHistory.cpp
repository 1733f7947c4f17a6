#include "PresetHistory.h"

#include "KARVELOControlMap.h"

/** One step: the whole block before and after it. A block is 138 bytes, so a step costs less than
    anything cleverer would save. */
class PresetHistory::BlockChange : public juce::UndoableAction
{
public:
    BlockChange (PresetHistory& owner, ByteArray blockBefore, ByteArray blockAfter)
        : history (owner)
        , before (std::move (blockBefore))
        , after (std::move (blockAfter))
    {
    }

    bool perform() override
    {
        history.apply (after);
        return true;
    }

    bool undo() override
    {
        history.apply (before);
        return true;
    }

private:
    PresetHistory& history;
    const ByteArray before, after;
};

PresetHistory::PresetHistory (KARVELOEditorPreset::Ptr presetToFollow)
    : preset (std::move (presetToFollow))
    , lastKnown (preset->getData())
    , saved (lastKnown)
{
    preset->addListener (this);

    const auto watch = [this] (const MEditorControl& control, const juce::String& name)
    {
        auto* value = watchedValues.add (new juce::Value());
        control.bindParameter (name, *value);
        value->addListener (this);
    };

    for (int i = 0; i < KARVELOEditorPreset::numKnobs; ++i)
        for (auto& name : { ParameterNames::midiChannel, ParameterNames::cc })
            watch (*preset->getKnob (i), name);

    for (int i = 0; i < KARVELOEditorPreset::numFaders; ++i)
        for (auto& name : { ParameterNames::midiChannel, ParameterNames::cc })
            watch (*preset->getFader (i), name);

    for (int i = 0; i < KARVELOEditorPreset::numSwitches; ++i)
        for (auto& name : { ParameterNames::midiChannel, ParameterNames::type, ParameterNames::cc })
            watch (*preset->getSwitch (i), name);
}

PresetHistory::~PresetHistory()
{
    cancelPendingUpdate();
    preset->removeListener (this);

    for (auto* value : watchedValues)
        value->removeListener (this);
}

bool PresetHistory::perform (const juce::String& stepName, const ByteArray& block)
{
    recordPendingEdits();

    if (! preset->isValidData (block))
        return false;

    if (block != lastKnown)
    {
        undoManager.beginNewTransaction (stepName);
        undoManager.perform (new BlockChange (*this, lastKnown, block));
        changed();
    }

    return true;
}

bool PresetHistory::undo()
{
    recordPendingEdits();
    const auto done = undoManager.undo();

    if (done)
        changed();

    return done;
}

bool PresetHistory::redo()
{
    recordPendingEdits();
    const auto done = undoManager.redo();

    if (done)
        changed();

    return done;
}

bool PresetHistory::canUndo() const
{
    return undoManager.canUndo();
}

bool PresetHistory::canRedo() const
{
    return undoManager.canRedo();
}

juce::String PresetHistory::getUndoName() const
{
    return undoManager.getUndoDescription();
}

juce::String PresetHistory::getRedoName() const
{
    return undoManager.getRedoDescription();
}

void PresetHistory::reset()
{
    undoManager.clearUndoHistory();
    lastKnown = preset->getData();
    saved = lastKnown;
    changed();
}

void PresetHistory::markSaved()
{
    recordPendingEdits();
    saved = preset->getData();
    changed();
}

bool PresetHistory::hasUnsavedEdits() const
{
    return preset->getData() != saved;
}

void PresetHistory::recordPendingEdits()
{
    const auto now = preset->getData();

    if (now != lastKnown)
    {
        addStep (describeChange (lastKnown, now), lastKnown, now);
        changed();
    }
}

void PresetHistory::presetDataAboutToChange (KARVELOEditorPreset&)
{
    if (! applying)
        recordPendingEdits();
}

void PresetHistory::presetDataChanged (KARVELOEditorPreset&)
{
    if (applying)
        return;

    // A block from outside the window's own commands: the controller's reply.
    const auto now = preset->getData();

    if (now != lastKnown)
    {
        addStep (loadFromHardwareStep, lastKnown, now);
        changed();
    }
}

void PresetHistory::valueChanged (juce::Value&)
{
    if (! applying)
        triggerAsyncUpdate();
}

void PresetHistory::handleAsyncUpdate()
{
    recordPendingEdits();
}

void PresetHistory::addStep (const juce::String& name, const ByteArray& before, const ByteArray& after)
{
    // The change has happened already: performing the step stores what the preset holds.
    undoManager.beginNewTransaction (name);
    undoManager.perform (new BlockChange (*this, before, after));
}

void PresetHistory::apply (const ByteArray& block)
{
    const juce::ScopedValueSetter<bool> guard (applying, true);

    if (block != preset->getData())
        preset->setData (block);

    lastKnown = block;
}

void PresetHistory::changed()
{
    if (onChange != nullptr)
        onChange();
}

juce::String PresetHistory::describeChange (const ByteArray& before, const ByteArray& after) const
{
    juce::StringArray fields;
    juce::String subject;

    for (auto& control : KARVELOControlMap::getControls())
    {
        const auto differs = [&] (int offset) { return offset >= 0 && before[offset] != after[offset]; };
        const auto numberName = control.kind == KARVELOControlMap::Kind::button
                                        && after[control.typeOffset] == KARVELOSwitch::typeNote
                                    ? "Note"
                                    : "CC";

        if (differs (control.channelOffset))
            fields.add ("Channel");

        if (differs (control.typeOffset))
            fields.add ("Type");

        if (differs (control.numberOffset))
            fields.add (numberName);

        if (subject.isEmpty() && fields.size() > 0)
            subject = control.getName();
    }

    if (fields.size() == 1)
        return fields[0] + " of " + subject;

    return "Edits";
}
