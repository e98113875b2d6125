// TerminalKeyReader: the codes the screen reads, made into keys with every escape sequence read whole.
//
// The screen names the keys its terminal description knows (KEY_UP...); what it does not know comes
// through byte by byte, and a sequence may arrive split (an SSH packet boundary, a slow link). So
// "ESC [" and "ESC O" always begin a key, never Alt+"[" or Alt+"O": the reader waits up to
// SEQUENCE_WAIT for the rest, and a sequence it does not know (or one cut short) is dropped whole, so
// that no part of it is ever typed as text. Modified arrows and Delete of xterm, tmux and screen
// ("ESC [ 1 ; 5 D") become word moves and word deletes; other modified keys act as the plain key.
// "ESC" and a printable character is Alt with it; "ESC" alone, once ESCAPE_WAIT has passed with
// nothing after it, is Escape. Bytes beyond ASCII are gathered into whole UTF-8 characters; a byte
// that begins none, or a character cut short, is dropped. Text the terminal marks as pasted ("ESC [
// 200 ~" ... "ESC [ 201 ~") is one Paste key, at most MAX_PASTE bytes of it: no byte of it acts as a
// key. Window thread only.
#pragma once

#include "window/terminal/TerminalKeys.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace dravo {

class TerminalKeyReader {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr auto ESCAPE_WAIT = std::chrono::milliseconds(30);
    static constexpr auto SEQUENCE_WAIT = std::chrono::milliseconds(1000);
    // Longest sequence kept; a longer one is not a key and is dropped.
    static constexpr size_t MAX_SEQUENCE = 16;
    // Most bytes of a paste kept; the rest is dropped.
    static constexpr size_t MAX_PASTE = size_t{16} * 1024;

    // A code read at `now`: the keys it completes are added to `keys`.
    void Feed(int code, Clock::time_point now, std::vector<KeyEvent>& keys);
    // Nothing more was there at `now`: a lone Esc or a sequence that waited too long ends.
    void Expire(Clock::time_point now, std::vector<KeyEvent>& keys);
    // When Expire has something to do, if ever.
    std::optional<Clock::time_point> Deadline() const;

private:
    void FeedSequence(int code, Clock::time_point now, std::vector<KeyEvent>& keys);
    // A byte beyond ASCII, or the byte after one; false when the code is not part of a character.
    bool FeedCharacter(int code, std::vector<KeyEvent>& keys);
    void Reset();
    void FeedPaste(int code, Clock::time_point now, std::vector<KeyEvent>& keys);
    void EndPaste(std::vector<KeyEvent>& keys);

    bool m_Escaped = false; // an Esc was read, and what follows it is being read
    std::string m_Sequence; // what followed the Esc so far: "[" or "O" and the bytes after
    Clock::time_point m_Since{};
    std::string m_Character; // the bytes of a UTF-8 character read so far
    bool m_Pasting = false;  // between the paste marks
    std::string m_Paste;     // what was pasted so far, with the end mark's bytes as they come
};

} // namespace dravo
