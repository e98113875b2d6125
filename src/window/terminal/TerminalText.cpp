// UTF-8 characters and their cells.
#include "window/terminal/TerminalText.h"

#include <algorithm>
#include <array>
#include <utility>

namespace dravo {
namespace {

bool Continuation(unsigned char byte) {
    return (byte & 0xC0U) == 0x80U;
}

// The first code point a sequence of each length may carry (shorter forms of a character are not
// UTF-8), indexed by length.
constexpr std::array<char32_t, 5> SMALLEST = {0, 0, 0x80, 0x800, 0x10000};

// Ranges of characters that take two cells (East Asian wide and full-width forms, emoji).
constexpr std::pair<char32_t, char32_t> WIDE[] = {
    {0x1100, 0x115F}, {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},
    {0xA000, 0xA4CF}, {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE30, 0xFE4F},   {0xFF00, 0xFF60},
    {0xFFE0, 0xFFE6}, {0x1F300, 0x1F64F}, {0x1F900, 0x1F9FF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
};

// Characters that join the one before or take no cell: shown as a character of their own.
constexpr std::pair<char32_t, char32_t> JOINING[] = {
    {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x0610, 0x061A}, {0x064B, 0x065F}, {0x200B, 0x200F},
    {0x2028, 0x202E}, {0x2060, 0x206F}, {0x20D0, 0x20FF}, {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F}, {0xFEFF, 0xFEFF},
};

bool InRanges(char32_t code, const auto& ranges) {
    return std::ranges::any_of(ranges,
                               [code](const auto& range) { return code >= range.first && code <= range.second; });
}

} // namespace

size_t TerminalText::LengthOf(unsigned char first) {
    if (first < 0x80U) {
        return 1;
    }
    if (first >= 0xC2U && first <= 0xDFU) {
        return 2;
    }
    if (first >= 0xE0U && first <= 0xEFU) {
        return 3;
    }
    if (first >= 0xF0U && first <= 0xF4U) {
        return 4;
    }
    return 0;
}

TextCharacter TerminalText::At(std::string_view text, size_t at) {
    const auto first = static_cast<unsigned char>(text[at]);
    const size_t length = LengthOf(first);
    if (length == 1) {
        return {first, 1, true};
    }
    if (length == 0 || at + length > text.size()) {
        return {REPLACEMENT, 1, false};
    }
    char32_t code = first & (0xFFU >> (length + 1));
    for (size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if (!Continuation(next)) {
            return {REPLACEMENT, 1, false};
        }
        code = (code << 6U) | (next & 0x3FU);
    }
    if (code < SMALLEST[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return {REPLACEMENT, 1, false};
    }
    return {code, length, true};
}

bool TerminalText::IsWholeCharacter(std::string_view bytes) {
    if (bytes.empty()) {
        return false;
    }
    const TextCharacter character = At(bytes, 0);
    return character.m_Valid && character.m_Bytes == bytes.size();
}

size_t TerminalText::Next(std::string_view text, size_t at) {
    return at >= text.size() ? text.size() : at + At(text, at).m_Bytes;
}

size_t TerminalText::Boundary(std::string_view text, size_t at) {
    at = std::min(at, text.size());
    // A character is at most 4 bytes: the one `at` falls in begins at most 3 bytes before it.
    for (size_t back = 1; back <= 3 && back <= at; ++back) {
        const size_t start = at - back;
        if (!Continuation(static_cast<unsigned char>(text[start]))) {
            const TextCharacter character = At(text, start);
            return character.m_Valid && start + character.m_Bytes > at ? start : at;
        }
    }
    return at; // a start, the end, or a stray byte that counts as a character of its own
}

size_t TerminalText::Previous(std::string_view text, size_t at) {
    at = Boundary(text, at);
    if (at == 0) {
        return 0;
    }
    return Boundary(text, at - 1);
}

bool TerminalText::Shown(char32_t code) {
    return code >= 0x20 && code != 0x7F && !(code >= 0x80 && code < 0xA0) && !InRanges(code, JOINING);
}

int TerminalText::Width(char32_t code) {
    return Shown(code) && InRanges(code, WIDE) ? 2 : 1;
}

int TerminalText::Columns(std::string_view text) {
    int columns = 0;
    for (size_t at = 0; at < text.size(); at = Next(text, at)) {
        columns += Width(At(text, at).m_Code);
    }
    return columns;
}

size_t TerminalText::FitColumns(std::string_view text, int columns) {
    size_t at = 0;
    int used = 0;
    while (at < text.size()) {
        const TextCharacter character = At(text, at);
        used += Width(character.m_Code);
        if (used > columns) {
            break;
        }
        at += character.m_Bytes;
    }
    return at;
}

size_t TerminalText::FitBytes(std::string_view text, size_t bytes) {
    return bytes >= text.size() ? text.size() : Boundary(text, bytes);
}

size_t TerminalText::Encode(char32_t code, char* out) {
    if (code < 0x80) {
        out[0] = static_cast<char>(code);
        return 1;
    }
    if (code < 0x800) {
        out[0] = static_cast<char>(0xC0U | (code >> 6U));
        out[1] = static_cast<char>(0x80U | (code & 0x3FU));
        return 2;
    }
    if (code < 0x10000) {
        out[0] = static_cast<char>(0xE0U | (code >> 12U));
        out[1] = static_cast<char>(0x80U | ((code >> 6U) & 0x3FU));
        out[2] = static_cast<char>(0x80U | (code & 0x3FU));
        return 3;
    }
    out[0] = static_cast<char>(0xF0U | (code >> 18U));
    out[1] = static_cast<char>(0x80U | ((code >> 12U) & 0x3FU));
    out[2] = static_cast<char>(0x80U | ((code >> 6U) & 0x3FU));
    out[3] = static_cast<char>(0x80U | (code & 0x3FU));
    return 4;
}

} // namespace dravo
