// TerminalReverseSearch: a shell's Ctrl+R over the command history - typed text is looked for in the
// lines from the newest back, Ctrl+R again goes on to an older line that holds it, and the prompt says
// what is looked for and what was found.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dravo {

class TerminalReverseSearch {
public:
    // lines: the history, the oldest first; original: what the input held when the search began.
    TerminalReverseSearch(std::vector<std::string> lines, std::string original);

    // Adds typed text to what is looked for; the line found stays if it still holds it, else an older
    // one is looked for.
    void Type(std::string_view text);
    // Takes the last character off what is looked for, and looks again from the newest line.
    void Erase();
    // Ctrl+R again: an older line that holds the text.
    void Older();

    const std::string& Text() const { return m_Text; }
    const std::string& Original() const { return m_Original; }
    // The line found, or nothing yet.
    std::optional<std::string> Found() const;
    bool Failed() const { return m_Failed; }
    // "(reverse-i-search)`text': line", "(failed reverse-i-search)`text': line" when nothing more holds it.
    std::string Prompt() const;

private:
    // Looks from the line `from` back to the oldest; keeps the line found when none holds the text.
    void FindFrom(size_t from);

    std::vector<std::string> m_Lines;
    std::string m_Original;
    std::string m_Text;
    std::optional<size_t> m_Found;
    bool m_Failed = false;
};

} // namespace dravo
