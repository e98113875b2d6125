// TerminalLineEditor: typing in a one-line edit field of the terminal face - its text and caret, key
// by key, and what a field accepts.
#pragma once

#include "window/DialogTemplate.h"
#include "window/terminal/TerminalKeys.h"

#include <cstddef>
#include <string>

namespace dravo {

// What a field takes.
struct LineRules {
    bool m_DigitsOnly = false;              // digits only
    size_t m_MaxLength = std::string::npos; // in bytes: typing that would make it longer is refused
};

// Where typing goes: the caret, or the whole text when it is selected (a field entered by Tab).
struct LineCaret {
    int m_Caret = 0;
    bool m_AllSelected = false;
    std::string m_Cut; // what Ctrl+U, Ctrl+K, Ctrl+W or a word cut took last, for Ctrl+Y
};

class TerminalLineEditor {
public:
    // A field that does not scroll sideways takes what its place shows, as a dialog's edit control
    // does: a digit is about 4 dialog units wide, and 4 units go to the border.
    static constexpr int UNITS_PER_CHARACTER = 4;
    static constexpr int BORDER_UNITS = 4;
    static LineRules RulesFor(const ControlTemplate& edit);

    // Applies a key. Characters go in at the caret, or replace the selected text; what the rules
    // refuse changes nothing. The text is UTF-8: the caret, the moves and the cuts keep to whole
    // characters, and a character that does not fit whole is refused. Backspace and Delete remove one character, or the
    // selected text. Left, Right, Home and End move the caret; Ctrl+A and Ctrl+E go to the start and end, Ctrl+U cuts
    // what is before the caret, Ctrl+K what is after it, Ctrl+W the word before it, and Ctrl+Y puts
    // back what was cut last; the word keys move to the start of the word before the caret or past the
    // end of the one after it, or cut to that end. Any key ends the selection. True when the text changed. A caret
    // outside the text is first brought back into it.
    static bool Apply(const KeyEvent& key, const LineRules& rules, std::string& text, LineCaret& caret);
};

} // namespace dravo
