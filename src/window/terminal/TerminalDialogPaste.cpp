// Pasted text on a dialog of the terminal face: typed as text, or run line by line once asked.
#include "window/terminal/TerminalDialog.h"

#include "window/terminal/TerminalText.h"

#include <algorithm>

namespace dravo {
namespace {

// A pasted character the input takes as typed: printable, whole UTF-8.
bool Typeable(const TextCharacter& character) {
    constexpr char32_t FIRST_PRINTABLE = 0x20;
    constexpr char32_t DELETE_CHARACTER = 0x7F;
    constexpr char32_t FIRST_AFTER_C1 = 0xA0;
    const char32_t code = character.m_Code;
    return character.m_Valid && code >= FIRST_PRINTABLE && code != DELETE_CHARACTER &&
           (code < DELETE_CHARACTER || code >= FIRST_AFTER_C1);
}

} // namespace

std::vector<std::string> TerminalDialog::PastedLines(std::string_view text) {
    std::vector<std::string> lines;
    std::string line;
    const auto endLine = [&lines, &line] {
        if (line.find_first_not_of(' ') != std::string::npos && lines.size() < MAX_PASTED_LINES) {
            lines.push_back(line);
        }
        line.clear();
    };
    for (size_t at = 0; at < text.size();) {
        const TextCharacter character = TerminalText::At(text, at);
        if (character.m_Code == U'\r' || character.m_Code == U'\n') {
            endLine(); // "\r\n" ends one line: the empty one between is left out
        } else if (character.m_Code == U'\t') {
            line.push_back(' ');
        } else if (Typeable(character)) {
            line.append(text.substr(at, character.m_Bytes));
        }
        at += character.m_Bytes;
    }
    endLine();
    return lines;
}

void TerminalDialog::TypeLine(ControlState& edit, TerminalControlView& view, std::string_view line) {
    for (size_t at = 0; at < line.size(); at = TerminalText::Next(line, at)) {
        const std::string before = edit.m_Text.Text();
        const size_t next = TerminalText::Next(line, at);
        KeyEvent key{KeyKind::Char, line[at]};
        if (next - at > 1) {
            key.m_Text = std::string(line.substr(at, next - at));
        }
        EditKey(edit, view, key);
        if (edit.m_Text.Text() == before) {
            return; // refused: what follows is not typed either, so no character is skipped
        }
    }
}

void TerminalDialog::PasteKey(const KeyEvent& key, const KeyTarget& target) {
    const std::vector<std::string> lines = PastedLines(key.m_Text);
    if (lines.empty()) {
        return;
    }
    if (TypingFirst() && Focusable(m_InputEdit) && (m_Focus == m_InputEdit || !target.m_Typing)) {
        FocusOn(m_InputEdit, false);
        auto& input = m_Dialog.Model().Controls()[static_cast<size_t>(m_InputEdit)];
        if (lines.size() > 1) {
            FollowLogs(); // the lines' answers come in at the end of the log
            if (m_Dialog.DeliverPastedLines(input.Id(), lines)) {
                return;
            }
        }
        TypeLine(input, m_Views[static_cast<size_t>(m_InputEdit)], lines.front());
    } else if (target.m_Typing) {
        TypeLine(*target.m_Control, *target.m_View, lines.front());
    }
}

} // namespace dravo
