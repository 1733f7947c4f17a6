#pragma once

#include "model/ListenerCalls.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <limits>
#include <memory>
#include <optional>

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

    Besides typing, the number steps without the editor: Up and Down by one and Page Up and Page
    Down by pageStep while the box has the keyboard focus, the mouse wheel by one a notch and a drag
    up or down by one every dragPixelsPerStep pixels (a drag of less than the framework's few pixels
    is still a click, which opens the editor). A step is clamped to the range, counted from the
    nearer end when the box shows a number outside it, and is taken as a typed entry would be. Tab
    only moves the keyboard focus, shown by a ring; Return, F2 or a digit typed then opens the
    editor, and Escape there returns to the focused box.

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
        outOfRangeTextColourId = 0x1b70a01, ///< The number, when it lies outside the range.
        markedTextColourId = 0x1b70a02,     ///< The number and its underline while the box is marked.
        focusRingColourId = 0x1b70a03       ///< The ring around the box with the keyboard focus.
    };

    static constexpr Type pageStep = 10;
    static constexpr int dragPixelsPerStep = 4;

    NumberBoxComponent (const juce::String& name, Type minimumValue, Type maximumValue, Type initialValue)
        : juce::Label ({}, {})
        , minimum (minimumValue)
        , maximum (maximumValue)
        , value (initialValue)
    {
        setName (name);
        setEditable (true, false, false);
        setColour (outOfRangeTextColourId, juce::Colour (0xffffb020));
        setColour (markedTextColourId, juce::Colour (0xffff5c8a));
        setColour (focusRingColourId, juce::Colour (0xff6cc4ff));
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

        if (newValue != value)
            dragged.reset();

        value = newValue;
        setText (juce::String (newValue), juce::dontSendNotification);

        if (notification != juce::dontSendNotification)
            callListeners (listeners, [this] (Listener& l) { l.numberBoxValueChanged (this); });
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

        dragged.reset();
        value = number;
        setText (juce::String (number), juce::dontSendNotification);
        repaint();
    }

    /** Takes the number delta steps away, clamped to the range and counted from the nearer end of
        it when the box shows a number outside, as an entry typed and committed: the listeners hear
        it and the text value takes it. Returns whether the number changed. */
    bool step (int delta)
    {
        const auto stepped = getStepped (value, delta);

        if (stepped == value)
            return false;

        setValue (stepped, juce::sendNotificationSync);
        return true;
    }

    /** The step a key takes: one for Up and Down, pageStep for Page Up and Page Down, none (0) for
        any other key or one held with Ctrl, Alt or Command. */
    static int getStepFor (const juce::KeyPress& key)
    {
        const auto modifiers = key.getModifiers();

        if (modifiers.isCtrlDown() || modifiers.isCommandDown() || modifiers.isAltDown())
            return 0;

        const auto code = key.getKeyCode();
        return code == juce::KeyPress::upKey         ? 1
               : code == juce::KeyPress::downKey     ? -1
               : code == juce::KeyPress::pageUpKey   ? pageStep
               : code == juce::KeyPress::pageDownKey ? -pageStep
                                                     : 0;
    }

    /** Writes the box's tooltip whenever it is asked for; without it, the tooltip set is shown. */
    std::function<juce::String()> describe;

    juce::String getTooltip() override
    {
        return describe != nullptr ? describe() : juce::Label::getTooltip();
    }

    /** Whether the box is to be drawn as one of several sending the same message. */
    void setMarked (bool shouldBeMarked)
    {
        if (marked != shouldBeMarked)
        {
            marked = shouldBeMarked;
            repaint();
        }
    }

    bool isMarked() const noexcept { return marked; }

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

        const auto shown = dragged.value_or (value);
        const auto text = juce::String (shown);
        const auto shownFont = getFont();
        g.setColour (findColour (! isInRange (shown) ? int (outOfRangeTextColourId)
                                 : marked            ? int (markedTextColourId)
                                                     : int (juce::Label::textColourId)));
        g.setFont (shownFont);
        g.drawText (text, juce::Rectangle<int> (textX, 0, getWidth(), getHeight()), juce::Justification::left,
                    false);

        // A marked number out of range keeps its amber: the underline alone says it is marked.
        if (marked)
        {
            const auto baseline =
                (static_cast<float> (getHeight()) + shownFont.getAscent() - shownFont.getDescent()) * 0.5f;
            g.setColour (findColour (markedTextColourId));
            g.fillRect (juce::Rectangle<float> (static_cast<float> (textX), baseline + 1.0f,
                                                shownFont.getStringWidthFloat (text), 1.0f));
        }

        if (hasKeyboardFocus (false))
        {
            g.setColour (findColour (focusRingColourId));
            g.drawRoundedRectangle (getLocalBounds().toFloat().reduced (0.75f), 2.5f, 1.5f);
        }
    }

    /** Focus from Tab only shows the ring: Return, F2 or a digit opens the editor (the framework's
        label would open it at once). */
    void focusGained (FocusChangeType) override { repaint(); }
    void focusLost (FocusChangeType) override { repaint(); }

    bool keyPressed (const juce::KeyPress& key) override
    {
        if (isBeingEdited())
            return false;

        if (const auto delta = getStepFor (key); delta != 0)
        {
            step (delta);
            return true;
        }

        const auto modifiers = key.getModifiers();

        if (modifiers.isCtrlDown() || modifiers.isCommandDown() || modifiers.isAltDown())
            return false;

        if (key.isKeyCode (juce::KeyPress::returnKey) || key.isKeyCode (juce::KeyPress::F2Key))
        {
            showEditor();
            return true;
        }

        // A digit or sign starts an entry with itself, replacing the selected number.
        if (const auto character = key.getTextCharacter();
            character != 0 && juce::String (allowedCharacters).containsChar (character))
        {
            showEditor();

            if (auto* openEditor = getCurrentTextEditor())
                openEditor->insertTextAtCaret (juce::String::charToString (character));

            return true;
        }

        return false;
    }

    void mouseWheelMove (const juce::MouseEvent& event, const juce::MouseWheelDetails& wheel) override
    {
        if (isBeingEdited() || wheel.deltaY == 0.0f)
        {
            juce::Label::mouseWheelMove (event, wheel);
            return;
        }

        // JUCE reports a notch of an ordinary wheel as wheelNotch; smooth wheels and touch pads
        // report parts of one, which add up.
        wheelTravel += wheel.isReversed ? -wheel.deltaY : wheel.deltaY;
        const auto notches = static_cast<int> (wheelTravel / wheelNotch);

        if (notches != 0)
        {
            wheelTravel -= static_cast<float> (notches) * wheelNotch;
            step (notches);
        }
    }

    void mouseExit (const juce::MouseEvent& event) override
    {
        wheelTravel = 0.0f;
        juce::Label::mouseExit (event);
    }

    void mouseDown (const juce::MouseEvent& event) override
    {
        dragged.reset();
        dragFrom = value;
        juce::Label::mouseDown (event);
    }

    /** A drag shows the number it reaches and takes it as one entry when the button is released. */
    void mouseDrag (const juce::MouseEvent& event) override
    {
        if (dragFrom.has_value() && ! isBeingEdited() && event.mouseWasDraggedSinceMouseDown())
        {
            const auto reached =
                getStepped (*dragFrom, -event.getDistanceFromDragStartY() / dragPixelsPerStep);

            if (reached != dragged.value_or (value))
            {
                dragged = reached;
                repaint();
            }
        }

        juce::Label::mouseDrag (event);
    }

    void mouseUp (const juce::MouseEvent& event) override
    {
        const auto reached = dragged;
        const bool wasDragged = dragFrom.has_value() && event.mouseWasDraggedSinceMouseDown();
        dragged.reset();
        dragFrom.reset();

        if (reached.has_value() && *reached != value)
            setValue (*reached, juce::sendNotificationSync);

        if (wasDragged)
            repaint();
        else
            juce::Label::mouseUp (event);
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
        const FocusKeptInBox keeping (*this, committed);
        const juce::ScopedValueSetter<bool> taking (committing, true);
        juce::Label::textEditorReturnKeyPressed (committed);
    }

    void textEditorEscapeKeyPressed (juce::TextEditor& dropped) override
    {
        const FocusKeptInBox keeping (*this, dropped);
        juce::Label::textEditorEscapeKeyPressed (dropped);
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
    /** An editor that had the keyboard focus gives it away as it is deleted, and the focus would be
        nowhere: Return and Escape leave it in the box instead. (When the editor closes because the
        focus went elsewhere, it stays there.) */
    class FocusKeptInBox
    {
    public:
        FocusKeptInBox (NumberBoxComponent& box, juce::TextEditor& closing)
            : owner (&box)
            , hadFocus (closing.hasKeyboardFocus (true))
        {
        }

        ~FocusKeptInBox()
        {
            if (hadFocus && owner != nullptr && owner->isShowing() && ! owner->isBeingEdited())
                owner->grabKeyboardFocus();
        }

    private:
        juce::Component::SafePointer<NumberBoxComponent> owner;
        const bool hadFocus;
    };

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

    /** delta steps from the number, or from the nearer end of the range when it lies outside. */
    Type getStepped (Type from, int delta) const
    {
        const auto start = static_cast<juce::int64> (juce::jlimit (minimum, maximum, from));
        return static_cast<Type> (juce::jlimit (static_cast<juce::int64> (minimum),
                                                static_cast<juce::int64> (maximum), start + delta));
    }

    static constexpr int textX = 5;
    static constexpr float wheelNotch = 50.0f / 256.0f;

    juce::ListenerList<Listener> listeners;
    const Type minimum, maximum;
    Type value;
    bool editing = false, committing = false, marked = false;
    std::optional<Type> dragFrom, dragged;
    float wheelTravel = 0.0f;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (NumberBoxComponent)
};
