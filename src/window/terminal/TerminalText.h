// TerminalText: UTF-8 text as the terminal face types and shows it - whole characters, never a part of
// one, and how many cells each takes. Bytes that are not UTF-8 count as one character each, shown as
// '?', so that any text (a log line of the engine, random input) can be walked and drawn.
#pragma once

#include <cstddef>
#include <string_view>

namespace dravo {

struct TextCharacter {
    char32_t m_Code = 0;  // the character; REPLACEMENT for a byte that is not UTF-8
    size_t m_Bytes = 1;   // how many bytes it takes
    bool m_Valid = false; // false for a byte that begins no character
};

class TerminalText {
public:
    static constexpr char32_t REPLACEMENT = U'?';

    // The character that begins at `at` (inside the text).
    static TextCharacter At(std::string_view text, size_t at);
    // Bytes in the UTF-8 character whose first byte this is; 0 when no character begins with it.
    static size_t LengthOf(unsigned char first);
    // Whether these bytes are one whole, well-formed character.
    static bool IsWholeCharacter(std::string_view bytes);
    // The start of the character before `at`, and the end of the one at `at`.
    static size_t Previous(std::string_view text, size_t at);
    static size_t Next(std::string_view text, size_t at);
    // `at` moved back to the start of the character it falls in.
    static size_t Boundary(std::string_view text, size_t at);
    // Cells a character takes on a terminal: 2 for the wide ones of East Asian scripts, else 1
    // (control characters and marks that join the one before are shown as REPLACEMENT).
    static int Width(char32_t code);
    // Whether a character is drawn as itself; else REPLACEMENT stands for it.
    static bool Shown(char32_t code);
    static int Columns(std::string_view text);
    // How many bytes of the text fit in `columns` cells, whole characters only.
    static size_t FitColumns(std::string_view text, int columns);
    // How many bytes of the text fit in `bytes`, whole characters only.
    static size_t FitBytes(std::string_view text, size_t bytes);
    // A character as UTF-8 (up to 4 bytes written to `out`); returns their count.
    static size_t Encode(char32_t code, char* out);
};

} // namespace dravo
