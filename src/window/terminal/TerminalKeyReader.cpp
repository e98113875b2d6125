// Escape sequences read whole.
#include "window/terminal/TerminalKeyReader.h"

#include "window/terminal/TerminalText.h"

#include <curses.h>

#include <algorithm>
#include <charconv>

namespace dravo {
namespace {

constexpr int CONTROL_H = 8;
constexpr int DELETE_CHARACTER = 127;
// Bits of the modifier parameter of xterm's sequences, less one.
constexpr int MODIFIER_ALT = 2;
constexpr int MODIFIER_CONTROL = 4;

bool Printable(int code) {
    return code >= 0x20 && code < 0x7f;
}

// The numbers of a sequence's parameters ("1;5" gives 1 and 5); missing ones are 0.
std::vector<int> Parameters(std::string_view text) {
    std::vector<int> numbers;
    size_t from = 0;
    while (from <= text.size()) {
        const size_t end = std::min(text.find(';', from), text.size());
        int number = 0;
        (void)std::from_chars(text.data() + from, text.data() + end, number);
        numbers.push_back(number);
        from = end + 1;
    }
    return numbers;
}

// Whether the modifier parameter holds Ctrl or Alt, which make an arrow or Delete act on a word.
bool ByWord(const std::vector<int>& parameters) {
    const int modifier = parameters.size() > 1 ? parameters[1] - 1 : 0;
    return modifier > 0 && (modifier & (MODIFIER_ALT | MODIFIER_CONTROL)) != 0;
}

// The key of a final letter: arrows, Home, End, Shift+Tab.
KeyEvent LetterKey(char final, bool byWord) {
    switch (final) {
    case 'A':
        return {KeyKind::Up};
    case 'B':
        return {KeyKind::Down};
    case 'C':
        return {byWord ? KeyKind::WordRight : KeyKind::Right};
    case 'D':
        return {byWord ? KeyKind::WordLeft : KeyKind::Left};
    case 'H':
        return {KeyKind::Home};
    case 'F':
        return {KeyKind::End};
    case 'Z':
        return {KeyKind::BackTab};
    case 'P':
        return {KeyKind::Help};
    default:
        return {KeyKind::None};
    }
}

// "ESC [ n ~": the editing keys and F1 by number.
KeyEvent NumberedKey(int number, bool byWord) {
    switch (number) {
    case 1:
    case 7:
        return {KeyKind::Home};
    case 4:
    case 8:
        return {KeyKind::End};
    case 3:
        return {byWord ? KeyKind::WordDelete : KeyKind::Delete};
    case 5:
        return {KeyKind::PageUp};
    case 6:
        return {KeyKind::PageDown};
    case 11:
        return {KeyKind::Help};
    default:
        return {KeyKind::None}; // Insert, the other function keys, the paste marks
    }
}

// A whole sequence after Esc: "[" or "O", parameters, and a final byte.
KeyEvent SequenceKey(std::string_view sequence) {
    const char final = sequence.back();
    const std::string_view body = sequence.substr(1, sequence.size() - 2);
    if (!body.empty() && (body.front() < '0' || body.front() > '9') && body.front() != ';') {
        return {KeyKind::None}; // private sequences ("ESC [ < ..." and the like) are not keys
    }
    const std::vector<int> parameters = Parameters(body);
    if (sequence.front() == 'O' && final == 'M') {
        return {KeyKind::Enter}; // the keypad's Enter
    }
    if (final == '~') {
        return NumberedKey(parameters.front(), ByWord(parameters));
    }
    // "ESC O 5 D" and "ESC [ 5 D" carry the modifier alone.
    std::vector<int> modified = parameters;
    if (modified.size() == 1 && modified.front() > 1) {
        modified.insert(modified.begin(), 1);
    }
    return LetterKey(final, ByWord(modified));
}

} // namespace

void TerminalKeyReader::Reset() {
    m_Escaped = false;
    m_Sequence.clear();
}

bool TerminalKeyReader::FeedCharacter(int code, std::vector<KeyEvent>& keys) {
    constexpr int FIRST_BEYOND_ASCII = 0x80;
    constexpr int LAST_BYTE = 0xFF;
    constexpr int LAST_CONTINUATION = 0xBF;
    const bool byte = code >= FIRST_BEYOND_ASCII && code <= LAST_BYTE;
    if (!m_Character.empty() && byte && code <= LAST_CONTINUATION) {
        m_Character.push_back(static_cast<char>(code));
        if (m_Character.size() == TerminalText::LengthOf(static_cast<unsigned char>(m_Character.front()))) {
            if (TerminalText::IsWholeCharacter(m_Character)) {
                keys.push_back({KeyKind::Char, 0, 0, 0, m_Character});
            }
            m_Character.clear();
        }
        return true;
    }
    m_Character.clear(); // a character cut short is dropped whole
    if (!byte) {
        return false;
    }
    if (TerminalText::LengthOf(static_cast<unsigned char>(code)) > 1) {
        m_Character.push_back(static_cast<char>(code));
    }
    return true; // a byte that begins no character is dropped
}

void TerminalKeyReader::FeedPaste(int code, Clock::time_point now, std::vector<KeyEvent>& keys) {
    constexpr std::string_view END = "\x1b[201~";
    constexpr int LAST_BYTE = 0xFF;
    m_Since = now;
    if (code < 0 || code > LAST_BYTE) {
        return; // a key the screen named from pasted bytes: not text
    }
    if (m_Paste.size() >= MAX_PASTE + END.size()) {
        m_Paste.erase(MAX_PASTE, 1); // beyond the bound only the end mark is looked for
    }
    m_Paste.push_back(static_cast<char>(code));
    if (m_Paste.ends_with(END)) {
        m_Paste.resize(m_Paste.size() - END.size());
        EndPaste(keys);
    }
}

void TerminalKeyReader::EndPaste(std::vector<KeyEvent>& keys) {
    m_Paste.resize(std::min(m_Paste.size(), MAX_PASTE));
    if (!m_Paste.empty()) {
        keys.push_back({KeyKind::Paste, 0, 0, 0, m_Paste});
    }
    m_Pasting = false;
    m_Paste.clear();
}

void TerminalKeyReader::Feed(int code, Clock::time_point now, std::vector<KeyEvent>& keys) {
    if (m_Pasting) {
        FeedPaste(code, now, keys);
        return;
    }
    if (!m_Escaped && FeedCharacter(code, keys)) {
        return;
    }
    if (!m_Escaped) {
        if (code == TerminalKeys::ESCAPE) {
            m_Escaped = true;
            m_Since = now;
        } else {
            keys.push_back(TerminalKeys::Translate(code));
        }
        return;
    }
    if (!m_Sequence.empty() && code == TerminalKeys::ESCAPE) {
        Reset(); // cut short by the next key's Esc: the part read is dropped, the next key is read whole
        m_Escaped = true;
        m_Since = now;
        return;
    }
    if (!m_Sequence.empty()) {
        FeedSequence(code, now, keys);
        return;
    }
    if (code == '[' || code == 'O') {
        m_Sequence.push_back(static_cast<char>(code));
        m_Since = now; // the rest may come in a later packet
        return;
    }
    Reset();
    if (Printable(code)) {
        keys.push_back({KeyKind::Alt, static_cast<char>(code)});
    } else if (code == DELETE_CHARACTER || code == CONTROL_H || code == KEY_BACKSPACE) {
        keys.push_back({KeyKind::Control, 'w'}); // Alt+Backspace: the word before the caret
    } else if (code == KEY_LEFT || code == KEY_RIGHT) {
        keys.push_back({code == KEY_LEFT ? KeyKind::WordLeft : KeyKind::WordRight});
    } else {
        keys.push_back({KeyKind::Escape}); // Esc, then a key of its own
        Feed(code, now, keys);
    }
}

void TerminalKeyReader::FeedSequence(int code, Clock::time_point now, std::vector<KeyEvent>& keys) {
    const bool parameter = code >= 0x20 && code <= 0x3f;
    const bool final = code >= 0x40 && code <= 0x7e;
    if (!parameter && !final) {
        // Cut short by a key of its own (a control character, a key the screen named): the part read
        // is dropped, the key is read as itself.
        Reset();
        Feed(code, now, keys);
        return;
    }
    m_Sequence.push_back(static_cast<char>(code));
    if (final) {
        const KeyEvent key = SequenceKey(m_Sequence);
        m_Pasting = m_Sequence == "[200~";
        m_Since = now;
        Reset();
        if (key.m_Kind != KeyKind::None) {
            keys.push_back(key);
        }
    } else if (m_Sequence.size() >= MAX_SEQUENCE) {
        Reset();
    }
}

void TerminalKeyReader::Expire(Clock::time_point now, std::vector<KeyEvent>& keys) {
    if (m_Pasting && now - m_Since >= SEQUENCE_WAIT) {
        EndPaste(keys); // the end mark never came: what came is the paste
        return;
    }
    if (!m_Escaped) {
        return;
    }
    if (m_Sequence.empty() && now - m_Since >= ESCAPE_WAIT) {
        Reset();
        keys.push_back({KeyKind::Escape});
    } else if (!m_Sequence.empty() && now - m_Since >= SEQUENCE_WAIT) {
        Reset(); // never finished: dropped whole
    }
}

std::optional<TerminalKeyReader::Clock::time_point> TerminalKeyReader::Deadline() const {
    if (m_Pasting) {
        return m_Since + std::chrono::duration_cast<Clock::duration>(SEQUENCE_WAIT);
    }
    if (!m_Escaped) {
        return std::nullopt;
    }
    return m_Since + (m_Sequence.empty() ? std::chrono::duration_cast<Clock::duration>(ESCAPE_WAIT)
                                         : std::chrono::duration_cast<Clock::duration>(SEQUENCE_WAIT));
}

} // namespace dravo
