// TerminalLineEditor: typing in a one-line edit field of the terminal face - its text and caret, key
// by key.
#pragma once

#include "platform/window/TerminalKeys.h"

#include <string>

namespace dravo {

class TerminalLineEditor {
public:
    // Applies a key at the caret: characters are inserted (a digits-only field refuses others),
    // Backspace and Delete remove one, Left, Right, Home and End move the caret. True when the text
    // changed. A caret outside the text is first brought back into it.
    static bool Apply(const KeyEvent& key, bool digitsOnly, std::string& text, int& caret);
};

} // namespace dravo
