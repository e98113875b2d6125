// Key codes and mouse reports of the screen, as dialog keys.
#include "window/terminal/TerminalKeys.h"

#include <curses.h>

namespace dravo {
namespace {

constexpr int CONTROL_C = 3;
constexpr int CONTROL_H = 8;
constexpr int CONTROL_L = 12;
// Ctrl with these letters edits a text field, as in a shell: start and end of the line, cut to the end,
// cut to the start, cut the word before the caret.
constexpr char EDITING_CONTROLS[] = {'a', 'e', 'k', 'u', 'w'};

int ControlOf(char letter) {
    return letter - 'a' + 1;
}
constexpr int DELETE_CHARACTER = 127;

bool Printable(int code) {
    return code >= 0x20 && code < 0x7f;
}

} // namespace

KeyEvent TerminalKeys::Translate(int code, int following, bool& usedFollowing) {
    usedFollowing = false;
    if (code == ESCAPE) {
        if (Printable(following)) {
            usedFollowing = true;
            return {KeyKind::Alt, static_cast<char>(following)};
        }
        return {KeyKind::Escape};
    }
    if (Printable(code)) {
        return {KeyKind::Char, static_cast<char>(code)};
    }
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
    case CONTROL_C:
        return {KeyKind::Interrupt};
    case CONTROL_L:
        return {KeyKind::Repaint};
    case KEY_RESIZE:
        return {KeyKind::Resize};
    case KEY_F(1):
        return {KeyKind::Help};
    default:
        break;
    }
    for (const char letter : EDITING_CONTROLS) {
        if (code == ControlOf(letter)) {
            return {KeyKind::Control, letter};
        }
    }
    return {KeyKind::None};
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
