#pragma once

#include "model/ListenerArray.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <limits>
#include <memory>

/** A borderless field that shows one number and lets the user type another in its place.

    A single click (or Tab) opens an in-place editor that accepts only digits and signs, with the
    whole number selected so that typing replaces it; any other character is dropped and leaves the
    text and its selection as they were. Return or a click elsewhere commits, Escape keeps the old
    number, and a number arriving from outside (setValue, the shared text value) while the user
    types replaces the entry, which is dropped. Numbers outside the closed range are never taken:
    neither clamped nor wrapped, they are dropped and the box shows its current number again. The
    label's text value always ends up as the decimal text of the box's number, so a value shared
    with a model holds only numbers the box accepted; a new number arriving through that shared
    value is validated the same way before the box shows it. Only showValue puts a number outside
    the range on show, one held elsewhere that the box must not change by itself: it is drawn in
    outOfRangeTextColourId until the user enters a number in range.

    Text is read like C's atoi: leading blanks skipped, one sign, then digits up to the first
    non-digit; "+12" is 12, "12-3" is 12, no digits at all is 0. Unlike atoi, a number too large for
    the type is not wrapped around into the range: it stays too large and is rejected.

    Message thread only.
*/
template <typename Type>
class NumberBoxComponent : public juce::Label
{
public:
    class Listener
    {
    public:
        virtual ~Listener() = default;

        /** The box took a number: the user entered one in range, or its text value settled. */
        virtual void numberBoxValueChanged (NumberBoxComponent* box) = 0;
    };

    enum ColourIds
    {
        outOfRangeTextColourId = 0x1b70a01 ///< The number, when it lies outside the range.
    };

    NumberBoxComponent (const juce::String& name, Type minimumValue, Type maximumValue, Type initialValue)
        : juce::Label ({}, {})
        , minimum (minimumValue)
        , maximum (maximumValue)
        , value (initialValue)
    {
        setName (name);
        setEditable (true, false, false);
        setColour (outOfRangeTextColourId, juce::Colour (0xffffb020));
        setText (juce::String (initialValue), juce::dontSendNotification);
    }

    /** Takes the number when it lies in the range and shows it; otherwise shows the current number
        again. Listeners hear an accepted number at once unless notification is dontSendNotification.
        Either way an entry being typed is dropped. */
    void setValue (Type newValue, juce::NotificationType notification)
    {
        if (! isInRange (newValue))
        {
            const juce::String shown (value);
            setText (shown, juce::dontSendNotification);

            // A rejected number that arrived through the shared text value is put right there too.
            if (getTextValue().toString() != shown)
                getTextValue() = shown;

            return;
        }

        value = newValue;
        setText (juce::String (newValue), juce::dontSendNotification);

        if (notification != juce::dontSendNotification)
            listeners.callNewestFirst ([this] (Listener& l) { l.numberBoxValueChanged (this); });
    }

    /** Shows a number held outside the box, such as a model's. One in range is taken as setValue
        takes it, without telling the listeners. One outside the range is shown all the same, as a
        warning, and stays until a number in range replaces it; the user still cannot enter such a
        number. Either way an entry being typed is dropped. */
    void showValue (Type number)
    {
        if (isInRange (number))
        {
            setValue (number, juce::dontSendNotification);
            return;
        }

        value = number;
        setText (juce::String (number), juce::dontSendNotification);
        repaint();
    }

    /** The number shown, which lies outside the range only after showValue was given such a one. */
    Type getValue() const noexcept { return value; }
    Type getMinimum() const noexcept { return minimum; }
    Type getMaximum() const noexcept { return maximum; }
    bool isInRange (Type candidate) const noexcept { return minimum <= candidate && candidate <= maximum; }

    /** The number at the start of the text, read as described above. A number beyond what the type
        holds comes back as the type's lowest or highest value, which no box's range includes
        unless it reaches that far. */
    static Type parseNumber (const juce::String& text)
    {
        constexpr auto lowest = std::numeric_limits<Type>::lowest(),
                       highest = std::numeric_limits<Type>::max();
        auto p = text.getCharPointer().findEndOfWhitespace();
        const bool negative = *p == '-';

        if (*p == '-' || *p == '+')
            ++p;

        juce::int64 magnitude = 0;

        for (; *p >= '0' && *p <= '9'; ++p)
            magnitude =
                juce::jmin (magnitude * 10 + static_cast<juce::int64> (*p - '0'), juce::int64 (1) << 40);

        const auto number = negative ? -magnitude : magnitude;
        return number < lowest ? lowest : number > highest ? highest : static_cast<Type> (number);
    }

    /** Takes what is being typed into the box, as Return would; does nothing when it is not being
        edited. */
    void commitEdit()
    {
        if (auto* openEditor = getCurrentTextEditor())
            textEditorReturnKeyPressed (*openEditor);
    }

    /** Takes what is being typed into any box inside the component (at most one is being edited). */
    static void commitEditsWithin (juce::Component& component)
    {
        if (auto* box = dynamic_cast<NumberBoxComponent*> (&component))
            box->commitEdit();

        for (auto* child : component.getChildren())
            commitEditsWithin (*child);
    }

    void addListener (Listener* listener) { listeners.add (listener); }
    void removeListener (Listener* listener) { listeners.remove (listener); }

    /** Characters the in-place editor lets through. */
    static constexpr const char* allowedCharacters = "0123456789-+";

protected:
    void paint (juce::Graphics& g) override
    {
        if (editing)
            return;

        g.fillAll (findColour (juce::Label::backgroundColourId));
        g.setColour (
            findColour (isInRange (value) ? int (juce::Label::textColourId) : int (outOfRangeTextColourId)));
        g.setFont (getFont());
        g.drawText (juce::String (value), juce::Rectangle<int> (5, 0, getWidth(), getHeight()),
                    juce::Justification::left, false);
    }

    /** The label's editor, with the same font and colours, as an EntryEditor. */
    juce::TextEditor* createEditorComponent() override
    {
        const std::unique_ptr<juce::TextEditor> plain (juce::Label::createEditorComponent());
        auto* entry = new EntryEditor (getName());
        entry->applyFontToAllText (plain->getFont());
        plain->copyAllExplicitColoursTo (*entry);
        return entry;
    }

    void editorShown (juce::TextEditor* shownEditor) override
    {
        auto* textEditor = shownEditor;
        textEditor->setLookAndFeel (&getLookAndFeel());
        editing = true;

        const auto textColour = findColour (juce::Label::textColourId);
        textEditor->setColour (juce::TextEditor::textColourId, textColour);
        textEditor->setColour (juce::TextEditor::highlightedTextColourId, textColour);
        textEditor->setInputRestrictions (-1, allowedCharacters);
        textEditor->setMultiLine (false, true);
        textEditor->setScrollbarsShown (false);
        textEditor->setCaretVisible (true);
        textEditor->moveCaretToEnd();
        textEditor->setText (juce::String (value), true);
        textEditor->selectAll();

        juce::Label::editorShown (shownEditor);
    }

    /** Only a commit takes the entry. The label also closes its editor when its text is set while
        the user types, that is when a number arrives from outside: that number then wins. */
    void editorAboutToBeHidden (juce::TextEditor* closingEditor) override
    {
        editing = false;

        if (getText().isEmpty())
        {
            setText (juce::String (value), juce::dontSendNotification);
        }
        else if (committing)
        {
            // Listeners hear an entry that changes the number; a rejected entry or the same number
            // typed again leaves them alone.
            const auto entered = parseNumber (closingEditor->getText());
            setValue (entered, entered != value ? juce::sendNotificationSync : juce::dontSendNotification);
        }

        juce::Label::editorAboutToBeHidden (closingEditor);
    }

    /** Return, and a click elsewhere, commit through here. The editor's text is first replaced by
        what the box will show, so the label never stores a rejected entry into its text value. */
    void textEditorReturnKeyPressed (juce::TextEditor& committed) override
    {
        const auto entered = parseNumber (committed.getText());
        committed.setText (juce::String (isInRange (entered) ? entered : value), false);
        const juce::ScopedValueSetter<bool> taking (committing, true);
        juce::Label::textEditorReturnKeyPressed (committed);
    }

    void valueChanged (juce::Value& changed) override
    {
        // The text value coming back with the box's own number is only the echo of an earlier
        // setText, which may be older than a number the listeners have stored since: passing it on
        // would overwrite that with the stale number. Only a different number is news.
        const auto& held = changed.getValue();

        // Nor may such an echo end an entry the user has begun since.
        if (isBeingEdited() && held.isString() && held.toString() == juce::String (value))
            return;

        const auto number =
            held.isString() ? parseNumber (held.toString()) : static_cast<Type> (static_cast<int> (held));
        setValue (number, number != value ? juce::sendNotificationAsync : juce::dontSendNotification);

        // Whatever arrived ("007", " 5", "12abc", the integer 12), the text value ends as the box's
        // number, in text: a model's store of an integer then always differs from what is held and
        // reaches the box, even when it brings the same number, so that it replaces an entry.
        const juce::String shown (value);

        if (! changed.getValue().isString() || changed.toString() != shown)
            changed = shown;

        juce::Label::valueChanged (changed);
    }

private:
    /** The framework's editor deletes the selection before its input filter drops what it refuses,
        so a letter typed over the selected number would erase it. Here a keystroke or a paste of
        which the filter keeps nothing changes nothing, selection included. */
    class EntryEditor : public juce::TextEditor
    {
    public:
        using juce::TextEditor::TextEditor;

        void insertTextAtCaret (const juce::String& text) override
        {
            if (auto* filter = getInputFilter();
                filter != nullptr && text.isNotEmpty() && filter->filterNewText (*this, text).isEmpty())
                return;

            juce::TextEditor::insertTextAtCaret (text);
        }
    };

    ListenerArray<Listener> listeners;
    const Type minimum, maximum;
    Type value;
    bool editing = false, committing = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (NumberBoxComponent)
};
