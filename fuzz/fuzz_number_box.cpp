// The number box's text parsing: any text typed into a box's in-place editor, then committed with
// Return or dropped with Escape, and any text arriving through the box's shared text value.
//
// Input: byte 0 picks the box (a CC box, 0-127, or a channel box, 1-16) and how the edit ends;
// byte 1 the number the box shows first; the rest is the text, as UTF-8 where it is valid.
//
// Invariants: the editor lets only digits and signs through; the box's number is always inside its
// range; its listeners only ever hear numbers inside the range; a committed entry becomes the
// number the text starts with when that is in range (leading blanks, one sign, digits; a number
// too large for an int is out of range) and leaves the number alone otherwise; Escape leaves it
// alone; and once everything has settled, the text value holds exactly the decimal text of the
// number.

#include "FuzzSupport.h"
#include "ui/NumberBoxComponent.h"

namespace juce
{
// Dispatches one pending message, or returns false when there is none (without sleeping).
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

namespace
{
struct Heard : NumberBoxComponent<int>::Listener
{
    void numberBoxValueChanged (NumberBoxComponent<int>* box) override
    {
        FuzzSupport::require (box->isInRange (box->getValue()),
                              "a listener heard a number outside the range");
        ++calls;
    }

    int calls = 0;
};

/** A window the boxes are edited in, as a user edits them: the editor takes the keyboard focus,
    which only a component on the screen can. */
struct EditingWindow : juce::DocumentWindow
{
    EditingWindow()
        : juce::DocumentWindow ("Number box", juce::Colours::black, 0, true)
    {
        content.setSize (200, 60);
        setContentNonOwned (&content, true);
        setVisible (true);
    }

    ~EditingWindow() override { clearContentComponent(); }

    juce::Component content;
};

EditingWindow* window = nullptr;

/** Delivers what is pending: the box's own notifications come first, the window's repaints after. */
void settle()
{
    for (int i = 0; i < 20 && juce::dispatchNextMessageOnSystemQueue (true); ++i)
    {
    }
}

/** The bytes as text: valid UTF-8 as such, anything else one character per byte, as a keyboard
    could produce them. */
juce::String textOf (const juce::uint8* data, size_t size)
{
    const auto* bytes = reinterpret_cast<const char*> (data);

    if (juce::CharPointer_UTF8::isValidString (bytes, static_cast<int> (size)))
        return juce::String::fromUTF8 (bytes, static_cast<int> (size));

    juce::String text;

    for (size_t i = 0; i < size; ++i)
        text += juce::String::charToString (static_cast<juce::juce_wchar> (data[i]));

    return text;
}

/** The number the text starts with, worked out here independently of the box. */
juce::int64 leadingNumber (const juce::String& text)
{
    int i = 0;

    while (i < text.length() && juce::CharacterFunctions::isWhitespace (text[i]))
        ++i;

    const bool negative = i < text.length() && text[i] == '-';

    if (i < text.length() && (text[i] == '-' || text[i] == '+'))
        ++i;

    juce::int64 magnitude = 0;

    for (; i < text.length() && text[i] >= '0' && text[i] <= '9'; ++i)
        magnitude = std::min<juce::int64> (magnitude * 10 + (text[i] - '0'), juce::int64 (1) << 40);

    return negative ? -magnitude : magnitude;
}
} // namespace

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    FuzzSupport::initialiseJuce();
    window = new EditingWindow();

    const juce::uint8 warmUp[] = { 0, 64, '1', '2' };
    LLVMFuzzerTestOneInput (warmUp, sizeof (warmUp));
    FuzzSupport::cleanUpAtExit (
        []
        {
            delete window;
            window = nullptr;
        });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const juce::uint8* data, size_t size)
{
    if (size < 2)
        return 0;

    const bool isChannelBox = (data[0] & 1) != 0;
    const auto ending = (data[0] >> 1) % 3; // Return, Escape, or a store into the shared text value
    const int minimum = isChannelBox ? 1 : 0, maximum = isChannelBox ? 16 : 127;
    const int initial = minimum + data[1] % (maximum - minimum + 1);
    const auto text = textOf (data + 2, size - 2);

    NumberBoxComponent<int> box (isChannelBox ? "Channel" : "CC", minimum, maximum, initial);
    box.setBounds (10, 10, 40, 16);
    window->content.addAndMakeVisible (box);
    Heard heard;
    box.addListener (&heard);
    settle();

    if (ending == 2)
    {
        box.getTextValue() = text;
        settle();

        const auto number = leadingNumber (text);
        const auto expected = (number >= minimum && number <= maximum) ? static_cast<int> (number) : initial;
        FuzzSupport::require (box.getValue() == expected,
                              "a number arriving through the text value was misread");
    }
    else
    {
        box.showEditor();
        auto* editor = box.getCurrentTextEditor();
        FuzzSupport::require (editor != nullptr, "the box opened no editor");

        editor->selectAll();
        editor->insertTextAtCaret (text);
        const auto typed = editor->getText();
        FuzzSupport::require (typed.containsOnly (NumberBoxComponent<int>::allowedCharacters),
                              "the editor let through a character other than a digit or a sign");

        editor->keyPressed (
            juce::KeyPress (ending == 0 ? juce::KeyPress::returnKey : juce::KeyPress::escapeKey));
        settle();
        FuzzSupport::require (box.getCurrentTextEditor() == nullptr, "the edit did not end");

        const auto number = leadingNumber (typed);
        const bool taken = ending == 0 && number >= minimum && number <= maximum;
        FuzzSupport::require (box.getValue() == (taken ? static_cast<int> (number) : initial),
                              taken ? "an entry in range was not taken"
                                    : "a rejected or dropped entry changed the number");
    }

    FuzzSupport::require (box.isInRange (box.getValue()), "the box holds a number outside its range");
    FuzzSupport::require (box.getTextValue().toString() == juce::String (box.getValue()),
                          "the text value did not settle on the number's decimal text");
    return 0;
}
