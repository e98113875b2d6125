// Ctrl+R in the command input: a search back through the history.
#include "window/terminal/TerminalDialog.h"

namespace dravo {

void TerminalDialog::StartSearch() {
    const auto& input = m_Dialog.Model().Controls()[static_cast<size_t>(m_InputEdit)];
    std::vector<std::string> lines = m_Dialog.DeliverHistory(input.Id());
    if (!lines.empty()) {
        m_Search.emplace(std::move(lines), input.m_Text.Text());
    }
}

void TerminalDialog::ShowFound() {
    SetInputText(m_Search->Found().value_or(m_Search->Original()));
}

bool TerminalDialog::SearchKeyTaken(const KeyEvent& key) {
    if (!m_Search) {
        const bool start =
            key.m_Kind == KeyKind::Control && key.m_Letter == 'r' && TypingFirst() && m_Focus == m_InputEdit;
        if (start) {
            StartSearch();
        }
        return start;
    }
    switch (key.m_Kind) {
    case KeyKind::Char:
        m_Search->Type(key.Typed());
        ShowFound();
        return true;
    case KeyKind::Paste:
        if (const auto lines = PastedLines(key.m_Text); !lines.empty()) {
            m_Search->Type(lines.front());
            ShowFound();
        }
        return true;
    case KeyKind::Backspace:
        m_Search->Erase();
        ShowFound();
        return true;
    case KeyKind::Control:
        if (key.m_Letter == 'r') {
            m_Search->Older();
            ShowFound();
            return true;
        }
        if (key.m_Letter != 'g') {
            break;
        }
        [[fallthrough]];
    case KeyKind::Escape:
    case KeyKind::Interrupt:
        SetInputText(m_Search->Original()); // left: the line as it was
        m_Search.reset();
        return true;
    case KeyKind::Resize:
    case KeyKind::Repaint:
    case KeyKind::None:
        return false;
    default:
        break;
    }
    m_Search.reset(); // the line found stays; Enter sends it, a move or an edit acts on it
    return false;
}

} // namespace dravo
