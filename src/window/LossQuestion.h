// LossQuestion: the keys of a Yes/No question whose Yes loses something (the game, a player, the
// level being played, the log, the setup). One rule for every face:
// - it opens on No, and Enter presses the button that holds the focus;
// - Left puts the focus on Yes and Right on No; nothing else moves it to Yes;
// - Esc, Ctrl+C and Alt+N answer No;
// - every other key (letters, Space, Tab, Shift+Tab, Up, Down, Backspace, Ctrl with a letter, Alt+Y and
//   the other Alt letters, which a shell's line editor uses) answers nothing and puts the focus back on No.
// So Yes takes Left (or a click on Yes) and then Enter, with nothing typed between: no key that a shell
// user presses by habit at a prompt, in any order, reaches it.
#pragma once

#include "window/WindowSystem.h"

#include <optional>

namespace dravo {

// The dialog ids of the two answers (those of the system's own message boxes).
inline constexpr int QUESTION_ID_YES = 6;
inline constexpr int QUESTION_ID_NO = 7;

// A key as the question sees it; faces map their own keys onto these.
enum class QuestionKey { Enter, Left, Right, Escape, Interrupt, AltNo, Other };

class LossQuestion {
public:
    // The dialog id of the answer that holds the focus.
    int FocusId() const { return m_OnYes ? QUESTION_ID_YES : QUESTION_ID_NO; }
    // Takes one key; the answer when the key gives one.
    std::optional<MessageBoxResult> Key(QuestionKey key);
    // The face's key for Alt with a letter.
    static QuestionKey AltLetter(char letter);

private:
    bool m_OnYes = false;
};

} // namespace dravo
