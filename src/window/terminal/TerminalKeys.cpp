// Key codes and mouse reports of the screen, as dialog keys.
#include "window/terminal/TerminalKeys.h"

#include <curses.h>

#include <string_view>

namespace dravo {
namespace {

constexpr int CONTROL_C = 3;
constexpr int CONTROL_H = 8;
constexpr int CONTROL_L = 12;
// Ctrl with these letters edits a text field, as in a shell: start and end of the line, cut to the end,
// cut to the start, cut the word before the caret.
// Ctrl+Y puts back what was cut last; Ctrl+R searches the history back, Ctrl+G leaves the search.
constexpr char EDITING_CONTROLS[] = {'a', 'e', 'g', 'k', 'r', 'u', 'w', 'y'};
// Ctrl with these letters moves as the arrows do and deletes as Delete does, as in a shell.
constexpr struct {
    char m_Letter;
    KeyKind m_Kind;
} MOVING_CONTROLS[] = {
    {'b', KeyKind::Left}, {'f', KeyKind::Right}, {'p', KeyKind::Up}, {'n', KeyKind::Down}, {'d', KeyKind::Delete},
};

int ControlOf(char letter) {
    return letter - 'a' + 1;
}
constexpr int DELETE_CHARACTER = 127;

bool Printable(int code) {
    return code >= 0x20 && code < 0x7f;
}

// Ctrl with a letter: the close box, a repaint, or an edit of the line.
KeyEvent ControlKey(int code) {
    if (code == CONTROL_C) {
        return {KeyKind::Interrupt};
    }
    if (code == CONTROL_L) {
        return {KeyKind::Repaint};
    }
    for (const char letter : EDITING_CONTROLS) {
        if (code == ControlOf(letter)) {
            return {KeyKind::Control, letter};
        }
    }
    for (const auto& moving : MOVING_CONTROLS) {
        if (code == ControlOf(moving.m_Letter)) {
            return {moving.m_Kind, moving.m_Letter}; // the letter tells it from the arrow key
        }
    }
    return {KeyKind::None};
}

// A modified key that the terminal's description names (xterm's "kLFT5" for Ctrl+Left): with Ctrl or
// Alt an arrow or Delete acts on a word, with Shift alone it is the plain key; any other is dropped.
KeyEvent ModifiedKey(int code) {
    switch (code) {
    case KEY_SLEFT:
        return {KeyKind::Left};
    case KEY_SRIGHT:
        return {KeyKind::Right};
    case KEY_SDC:
        return {KeyKind::Delete};
    case KEY_SHOME:
        return {KeyKind::Home};
    case KEY_SEND:
        return {KeyKind::End};
    default:
        break;
    }
    const char* name = keyname(code);
    const std::string_view key = name == nullptr ? std::string_view() : std::string_view(name);
    // The digit after the name is 1 + the modifiers: 2 Shift, 3 Alt, 5 Ctrl and their sums.
    const bool byWord = key.size() > 1 && key.back() >= '3' && key.back() <= '8';
    if (key.starts_with("kLFT")) {
        return {byWord ? KeyKind::WordLeft : KeyKind::Left};
    }
    if (key.starts_with("kRIT")) {
        return {byWord ? KeyKind::WordRight : KeyKind::Right};
    }
    if (key.starts_with("kDC")) {
        return {byWord ? KeyKind::WordDelete : KeyKind::Delete};
    }
    if (key.starts_with("kUP")) {
        return {KeyKind::Up};
    }
    if (key.starts_with("kDN")) {
        return {KeyKind::Down};
    }
    return {KeyKind::None};
}

// A key the screen names (an arrow, a page key, F1...), or a control character.
KeyEvent NamedKey(int code) {
    switch (code) {
    case '\t':
        return {KeyKind::Tab};
    case KEY_BTAB:
        return {KeyKind::BackTab};
    case '\n':
    case '\r':
    case KEY_ENTER:
        return {KeyKind::Enter};
    case KEY_UP:
        return {KeyKind::Up};
    case KEY_DOWN:
        return {KeyKind::Down};
    case KEY_LEFT:
        return {KeyKind::Left};
    case KEY_RIGHT:
        return {KeyKind::Right};
    case KEY_PPAGE:
        return {KeyKind::PageUp};
    case KEY_NPAGE:
        return {KeyKind::PageDown};
    case KEY_HOME:
        return {KeyKind::Home};
    case KEY_END:
        return {KeyKind::End};
    case KEY_BACKSPACE:
    case CONTROL_H:
    case DELETE_CHARACTER:
        return {KeyKind::Backspace};
    case KEY_DC:
        return {KeyKind::Delete};
    case KEY_RESIZE:
        return {KeyKind::Resize};
    case KEY_F(1):
        return {KeyKind::Help};
    default:
        return code >= KEY_MIN ? ModifiedKey(code) : ControlKey(code);
    }
}

} // namespace

KeyEvent TerminalKeys::Translate(int code) {
    if (Printable(code)) {
        return {KeyKind::Char, static_cast<char>(code)};
    }
    return NamedKey(code);
}

KeyEvent TerminalKeys::FromMouse(uint64_t buttonState, int col, int row) {
    if ((buttonState & BUTTON1_DOUBLE_CLICKED) != 0) {
        return {KeyKind::DoubleClick, 0, col, row};
    }
    if ((buttonState & (BUTTON1_CLICKED | BUTTON1_PRESSED)) != 0) {
        return {KeyKind::Click, 0, col, row};
    }
    return {KeyKind::None};
}

} // namespace dravo
