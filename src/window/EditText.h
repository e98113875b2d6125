// EditText: the text of a control with the line arithmetic of an edit control (line count, index of a
// line's first character, range replacement, append with the caret at the end).
#pragma once

#include <string>
#include <string_view>

namespace dravo {

class EditText {
public:
    // Longest text a control holds; longer texts are cut, appends past it are refused.
    static constexpr int MAX_LENGTH = 1 << 24;

    const std::string& Text() const { return m_Text; }
    int Length() const { return static_cast<int>(m_Text.size()); }
    int Caret() const { return m_Caret; }

    // Replaces the whole text (cut to MAX_LENGTH); the caret goes to the start.
    void SetText(std::string_view text);
    // Lines are separated by "\n" or "\r\n". An empty text has one line, and a text that ends in a line
    // break has an empty last line.
    int LineCount() const;
    // Index of the first character of a line, or -1 when there is no such line.
    int LineIndex(int line) const;
    // Replaces the characters [start, end) with the replacement; the caret goes after it. False, and
    // nothing changes, when the range is not inside the text or the result would be too long.
    [[nodiscard]] bool ReplaceRange(int start, int end, std::string_view replacement);
    // Adds text at the end and moves the caret there; false when the result would be too long.
    [[nodiscard]] bool Append(std::string_view text);

private:
    std::string m_Text;
    int m_Caret = 0;
};

} // namespace dravo
