// QueryTokenizer: splits the text of a GameSpy query into its tokens.
//
// Wire format: \key\value\key\value... A separator is a backslash, a byte below
// 0x20 or a byte of 0x80 and above; every other byte belongs to a token. Runs of
// separators never give empty tokens, and spaces belong to tokens.
#pragma once

#include <cstddef>
#include <string_view>

namespace dravo {

class QueryTokenizer {
public:
    // Longest query text kept; the rest is cut.
    static constexpr size_t MAX_TEXT = 1023;

    // Copies the text (up to its first NUL, at most MAX_TEXT bytes) and starts over.
    void Start(std::string_view text);
    // The next token, or empty at the end; valid until the next Start.
    std::string_view Next();

private:
    char m_Buffer[MAX_TEXT + 1] = {};
    size_t m_Length = 0;
    size_t m_Cursor = 0;
};

} // namespace dravo
