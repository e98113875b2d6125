// Typing in a one-line edit field.
#include "platform/window/TerminalLineEditor.h"

#include <algorithm>
#include <cctype>

namespace dravo {
namespace {

bool Cut(std::string& text, int from, int to, int& caret) {
    if (from >= to) {
        return false;
    }
    text.erase(static_cast<size_t>(from), static_cast<size_t>(to - from));
    caret = from;
    return true;
}

int WordStartBefore(const std::string& text, int caret) {
    int at = caret;
    while (at > 0 && text[static_cast<size_t>(at - 1)] == ' ') {
        --at;
    }
    while (at > 0 && text[static_cast<size_t>(at - 1)] != ' ') {
        --at;
    }
    return at;
}

bool Insert(char letter, const LineRules& rules, std::string& text, int& caret) {
    if ((rules.m_DigitsOnly && std::isdigit(static_cast<unsigned char>(letter)) == 0) ||
        text.size() >= rules.m_MaxLength) {
        return false;
    }
    text.insert(static_cast<size_t>(caret), 1, letter);
    ++caret;
    return true;
}

} // namespace

LineRules TerminalLineEditor::RulesFor(const ControlTemplate& edit) {
    LineRules rules;
    rules.m_DigitsOnly = HasFlag(edit.m_Flags, ControlFlag::DigitsOnly);
    if (!HasFlag(edit.m_Flags, ControlFlag::HorizontalScroll) && !HasFlag(edit.m_Flags, ControlFlag::MultiLine)) {
        rules.m_MaxLength =
            static_cast<size_t>(std::max((edit.m_Place.m_Width - BORDER_UNITS) / UNITS_PER_CHARACTER, 1));
    }
    return rules;
}

bool TerminalLineEditor::Apply(const KeyEvent& key, const LineRules& rules, std::string& text, LineCaret& state) {
    const int length = static_cast<int>(text.size());
    int& caret = state.m_Caret;
    caret = std::clamp(caret, 0, length);
    const bool selected = state.m_AllSelected && length > 0;
    state.m_AllSelected = false;
    if (selected) {
        switch (key.m_Kind) {
        case KeyKind::Char: {
            std::string replaced;
            int at = 0;
            if (!Insert(key.m_Letter, rules, replaced, at)) {
                state.m_AllSelected = true; // a refused key leaves the field as it was
                return false;
            }
            text = std::move(replaced);
            caret = at;
            return true;
        }
        case KeyKind::Backspace:
        case KeyKind::Delete:
            return Cut(text, 0, length, caret);
        case KeyKind::Left:
            caret = 0; // to the start of the selection, as a dialog's edit control does
            return false;
        case KeyKind::Right:
            caret = length;
            return false;
        default:
            break;
        }
    }
    switch (key.m_Kind) {
    case KeyKind::Char:
        return Insert(key.m_Letter, rules, text, caret);
    case KeyKind::Backspace:
        return caret > 0 && Cut(text, caret - 1, caret, caret);
    case KeyKind::Delete: {
        const int at = caret;
        return Cut(text, at, std::min(at + 1, length), caret);
    }
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
    case KeyKind::Control:
        switch (key.m_Letter) {
        case 'a':
            caret = 0;
            return false;
        case 'e':
            caret = length;
            return false;
        case 'u':
            return Cut(text, 0, caret, caret);
        case 'k': {
            const int at = caret;
            return Cut(text, at, length, caret);
        }
        case 'w':
            return Cut(text, WordStartBefore(text, caret), caret, caret);
        default:
            return false;
        }
    default:
        return false;
    }
}

} // namespace dravo
