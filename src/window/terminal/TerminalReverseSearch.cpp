// Ctrl+R over the history.
#include "window/terminal/TerminalReverseSearch.h"

#include "window/terminal/TerminalText.h"

#include <utility>

namespace dravo {

TerminalReverseSearch::TerminalReverseSearch(std::vector<std::string> lines, std::string original)
    : m_Lines(std::move(lines)), m_Original(std::move(original)) {}

void TerminalReverseSearch::FindFrom(size_t from) {
    for (size_t index = std::min(from + 1, m_Lines.size()); index > 0; --index) {
        if (m_Lines[index - 1].find(m_Text) != std::string::npos) {
            m_Found = index - 1;
            m_Failed = false;
            return;
        }
    }
    m_Failed = true;
}

void TerminalReverseSearch::Type(std::string_view text) {
    m_Text.append(text);
    FindFrom(m_Found.value_or(m_Lines.size()));
}

void TerminalReverseSearch::Erase() {
    m_Text.resize(TerminalText::Previous(m_Text, m_Text.size()));
    m_Found.reset();
    m_Failed = false;
    if (!m_Text.empty()) {
        FindFrom(m_Lines.size());
    }
}

void TerminalReverseSearch::Older() {
    if (m_Text.empty()) {
        return;
    }
    if (!m_Found) {
        FindFrom(m_Lines.size());
    } else if (*m_Found == 0) {
        m_Failed = true;
    } else {
        const std::optional<size_t> before = m_Found;
        FindFrom(*m_Found - 1);
        if (m_Failed) {
            m_Found = before;
        }
    }
}

std::optional<std::string> TerminalReverseSearch::Found() const {
    if (!m_Found) {
        return std::nullopt;
    }
    return m_Lines[*m_Found];
}

std::string TerminalReverseSearch::Prompt() const {
    return std::string(m_Failed ? "(failed reverse-i-search)`" : "(reverse-i-search)`") + m_Text +
           "': " + Found().value_or("");
}

} // namespace dravo
