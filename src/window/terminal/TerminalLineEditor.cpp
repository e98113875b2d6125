// Typing in a one-line edit field.
#include "window/terminal/TerminalLineEditor.h"

#include "window/terminal/TerminalText.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <utility>

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

// Cuts the text between from and to, and keeps it for Ctrl+Y.
bool CutToKeep(std::string& text, int from, int to, LineCaret& state) {
    if (from >= to) {
        return false;
    }
    state.m_Cut = text.substr(static_cast<size_t>(from), static_cast<size_t>(to - from));
    return Cut(text, from, to, state.m_Caret);
}

int WordEndAfter(const std::string& text, int caret) {
    const int length = static_cast<int>(text.size());
    int at = caret;
    while (at < length && text[static_cast<size_t>(at)] == ' ') {
        ++at;
    }
    while (at < length && text[static_cast<size_t>(at)] != ' ') {
        ++at;
    }
    return at;
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

// Puts whole characters in at the caret; refused when the rules do not take them or they do not fit.
bool Insert(std::string_view typed, const LineRules& rules, std::string& text, int& caret) {
    if ((rules.m_DigitsOnly &&
         !std::ranges::all_of(typed,
                              [](char letter) { return std::isdigit(static_cast<unsigned char>(letter)) != 0; })) ||
        typed.empty() || text.size() > rules.m_MaxLength || typed.size() > rules.m_MaxLength - text.size()) {
        return false;
    }
    text.insert(static_cast<size_t>(caret), typed);
    caret += static_cast<int>(typed.size());
    return true;
}

int PreviousCharacter(const std::string& text, int caret) {
    return static_cast<int>(TerminalText::Previous(text, static_cast<size_t>(caret)));
}

int NextCharacter(const std::string& text, int caret) {
    return static_cast<int>(TerminalText::Next(text, static_cast<size_t>(caret)));
}

// A key on a field whose whole text is selected: typing replaces the text, Backspace and Delete remove
// it, Left and Right go to its start and end. Nothing for the keys that act as they do at the caret.
std::optional<bool> ApplyToSelection(const KeyEvent& key, const LineRules& rules, std::string& text, LineCaret& state) {
    const int length = static_cast<int>(text.size());
    switch (key.m_Kind) {
    case KeyKind::Char: {
        std::string replaced;
        int at = 0;
        if (!Insert(key.Typed(), rules, replaced, at)) {
            state.m_AllSelected = true; // a refused key leaves the field as it was
            return false;
        }
        text = std::move(replaced);
        state.m_Caret = at;
        return true;
    }
    case KeyKind::Backspace:
    case KeyKind::Delete:
        return Cut(text, 0, length, state.m_Caret);
    case KeyKind::Left:
        state.m_Caret = 0; // to the start of the selection, as a dialog's edit control does
        return false;
    case KeyKind::Right:
        state.m_Caret = length;
        return false;
    default:
        return std::nullopt;
    }
}

// Ctrl+A and Ctrl+E move the caret to the start and end; Ctrl+U, Ctrl+K and Ctrl+W cut, and Ctrl+Y puts
// back what was cut last.
bool ApplyControl(char letter, const LineRules& rules, std::string& text, LineCaret& state) {
    const int length = static_cast<int>(text.size());
    const int caret = state.m_Caret;
    switch (letter) {
    case 'a':
        state.m_Caret = 0;
        return false;
    case 'e':
        state.m_Caret = length;
        return false;
    case 'u':
        return CutToKeep(text, 0, caret, state);
    case 'k':
        return CutToKeep(text, caret, length, state);
    case 'w':
        return CutToKeep(text, WordStartBefore(text, caret), caret, state);
    case 'y': {
        // What does not fit is left out, never a part of a character.
        const size_t room = text.size() < rules.m_MaxLength ? rules.m_MaxLength - text.size() : 0;
        const std::string_view cut(state.m_Cut);
        return Insert(cut.substr(0, TerminalText::FitBytes(cut, room)), rules, text, state.m_Caret);
    }
    default:
        return false;
    }
}

// Moves and cuts by words: Ctrl+Left and Ctrl+Right, Ctrl+Delete.
bool ApplyWord(KeyKind kind, std::string& text, LineCaret& state) {
    switch (kind) {
    case KeyKind::WordLeft:
        state.m_Caret = WordStartBefore(text, state.m_Caret);
        return false;
    case KeyKind::WordRight:
        state.m_Caret = WordEndAfter(text, state.m_Caret);
        return false;
    default:
        return CutToKeep(text, state.m_Caret, WordEndAfter(text, state.m_Caret), state);
    }
}

bool ApplyAtCaret(const KeyEvent& key, const LineRules& rules, std::string& text, LineCaret& state) {
    const int length = static_cast<int>(text.size());
    int& caret = state.m_Caret;
    switch (key.m_Kind) {
    case KeyKind::Char:
        return Insert(key.Typed(), rules, text, caret);
    case KeyKind::Backspace:
        return caret > 0 && Cut(text, PreviousCharacter(text, caret), caret, caret);
    case KeyKind::Delete: {
        const int at = caret;
        return Cut(text, at, NextCharacter(text, at), caret);
    }
    case KeyKind::Left:
        caret = PreviousCharacter(text, caret);
        return false;
    case KeyKind::Right:
        caret = NextCharacter(text, caret);
        return false;
    case KeyKind::Home:
        caret = 0;
        return false;
    case KeyKind::End:
        caret = length;
        return false;
    case KeyKind::Control:
        return ApplyControl(key.m_Letter, rules, text, state);
    case KeyKind::WordLeft:
    case KeyKind::WordRight:
    case KeyKind::WordDelete:
        return ApplyWord(key.m_Kind, text, state);
    default:
        return false;
    }
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
    state.m_Caret = static_cast<int>(
        TerminalText::Boundary(text, static_cast<size_t>(std::clamp(state.m_Caret, 0, static_cast<int>(text.size())))));
    const bool selected = state.m_AllSelected && !text.empty();
    state.m_AllSelected = false;
    if (selected) {
        if (const std::optional<bool> changed = ApplyToSelection(key, rules, text, state)) {
            return *changed;
        }
    }
    return ApplyAtCaret(key, rules, text, state);
}

} // namespace dravo
