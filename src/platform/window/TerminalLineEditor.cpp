// Typing in a one-line edit field.
#include "platform/window/TerminalLineEditor.h"

#include <algorithm>
#include <cctype>

namespace dravo {

bool TerminalLineEditor::Apply(const KeyEvent& key, bool digitsOnly, std::string& text, int& caret) {
    const int length = static_cast<int>(text.size());
    caret = std::clamp(caret, 0, length);
    const auto at = static_cast<size_t>(caret);
    switch (key.m_Kind) {
    case KeyKind::Char:
        if (digitsOnly && std::isdigit(static_cast<unsigned char>(key.m_Letter)) == 0) {
            return false;
        }
        text.insert(at, 1, key.m_Letter);
        ++caret;
        return true;
    case KeyKind::Backspace:
        if (caret == 0) {
            return false;
        }
        text.erase(at - 1, 1);
        --caret;
        return true;
    case KeyKind::Delete:
        if (caret == length) {
            return false;
        }
        text.erase(at, 1);
        return true;
    case KeyKind::Left:
        caret = std::max(caret - 1, 0);
        return false;
    case KeyKind::Right:
        caret = std::min(caret + 1, length);
        return false;
    case KeyKind::Home:
        caret = 0;
        return false;
    case KeyKind::End:
        caret = length;
        return false;
    default:
        return false;
    }
}

} // namespace dravo
