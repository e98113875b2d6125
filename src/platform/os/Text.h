// Text helpers: fixed buffers read and filled without overflow, and the case-blind matching the
// game's names and the command line call for. The one place for both.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace dravo {

// The text of a zero-terminated buffer, never reading past its size.
inline std::string_view BoundedText(const char* text, size_t size) {
    return {text, strnlen(text, size)};
}

// Copies text into a fixed buffer, cut to fit with its terminator.
template <size_t N> void CopyCut(char (&field)[N], std::string_view text) {
    const size_t length = std::min(text.size(), N - 1);
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

// The start of `text` at most `bytes` long that ends between two UTF-8 characters, never inside one.
inline std::string_view CutAtCharacter(std::string_view text, size_t bytes) {
    if (text.size() <= bytes) {
        return text;
    }
    size_t cut = bytes;
    // A character is at most 4 bytes: at most 3 of its bytes follow its first.
    for (size_t back = 0; back < 3 && cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0U) == 0x80U; ++back) {
        --cut;
    }
    return text.substr(0, (static_cast<unsigned char>(text[cut]) & 0xC0U) == 0x80U ? bytes : cut);
}

inline char LowerChar(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

inline std::string ToLower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), LowerChar);
    return lower;
}

inline bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerChar(x) == LowerChar(y); });
}

inline bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

inline bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && EqualNoCase(text.substr(text.size() - suffix.size()), suffix);
}

inline bool ContainsNoCase(std::string_view text, std::string_view part) {
    return ToLower(text).find(ToLower(part)) != std::string::npos;
}

} // namespace dravo
