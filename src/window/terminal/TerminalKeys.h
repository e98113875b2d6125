// TerminalKeys: what the operator's keys and clicks mean to a dialog, from the codes the screen reads.
#pragma once

#include <cstdint>
#include <string>

namespace dravo {

enum class KeyKind : uint8_t {
    None,        // nothing a dialog uses
    Char,        // a printable character (Letter, or Text when it is beyond ASCII)
    Alt,         // Alt with a character: a mnemonic (Letter)
    Tab,         //
    BackTab,     // Shift+Tab
    Up,          //
    Down,        //
    Left,        //
    Right,       //
    PageUp,      //
    PageDown,    //
    Home,        //
    End,         //
    Enter,       //
    Escape,      //
    Backspace,   //
    Delete,      //
    Interrupt,   // Ctrl+C: the close box
    Control,     // Ctrl with a letter that edits (Letter: 'a', 'e', 'k', 'u', 'w', 'y')
    WordLeft,    // Ctrl+Left, Alt+Left, Alt+B: to the start of the word
    WordRight,   // Ctrl+Right, Alt+Right, Alt+F: past the end of the word
    WordDelete,  // Ctrl+Delete, Alt+D: cut to the end of the word
    Repaint,     // Ctrl+L: draw the whole screen again
    Click,       // mouse button 1 at Col, Row
    DoubleClick, //
    Resize,      // the terminal changed size
    Help,        // F1
    Paste,       // text pasted at once (Text), read whole between the terminal's paste marks
};

struct KeyEvent {
    KeyKind m_Kind = KeyKind::None;
    char m_Letter = 0;
    int m_Col = 0;
    int m_Row = 0;
    std::string m_Text = {}; // a character beyond ASCII, whole, in UTF-8

    // What a Char key types: its UTF-8 bytes.
    std::string Typed() const { return m_Text.empty() ? std::string(1, m_Letter) : m_Text; }
};

class TerminalKeys {
public:
    static constexpr int ESCAPE = 27;

    // A code read from the screen (a character or a key number) other than ESCAPE, which begins a
    // sequence that TerminalKeyReader reads. Ctrl+B, F, P and N are the arrows, Ctrl+D is Delete.
    static KeyEvent Translate(int code);
    // A mouse report: the button state bits and the cell.
    static KeyEvent FromMouse(uint64_t buttonState, int col, int row);
};

} // namespace dravo
