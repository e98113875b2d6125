// Line arithmetic of an edit control's text.
#include "window/EditText.h"

#include <algorithm>

namespace dravo {

void EditText::SetText(std::string_view text) {
    m_Text.assign(text.substr(0, MAX_LENGTH));
    m_Caret = 0;
}

int EditText::LineCount() const {
    return 1 + static_cast<int>(std::count(m_Text.begin(), m_Text.end(), '\n'));
}

int EditText::LineIndex(int line) const {
    if (line < 0) {
        return -1;
    }
    size_t position = 0;
    for (int i = 0; i < line; ++i) {
        const size_t lineFeed = m_Text.find('\n', position);
        if (lineFeed == std::string::npos) {
            return -1;
        }
        position = lineFeed + 1;
    }
    return static_cast<int>(position);
}

bool EditText::ReplaceRange(int start, int end, std::string_view replacement) {
    if (start < 0 || end < start || end > Length()) {
        return false;
    }
    const size_t newLength = m_Text.size() - static_cast<size_t>(end - start) + replacement.size();
    if (newLength > static_cast<size_t>(MAX_LENGTH)) {
        return false;
    }
    m_Text.replace(static_cast<size_t>(start), static_cast<size_t>(end - start), replacement);
    m_Caret = start + static_cast<int>(replacement.size());
    return true;
}

bool EditText::Append(std::string_view text) {
    if (m_Text.size() + text.size() > static_cast<size_t>(MAX_LENGTH)) {
        return false;
    }
    m_Text.append(text);
    m_Caret = Length();
    return true;
}

} // namespace dravo
