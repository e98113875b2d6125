// F1 on a dialog typed into first (the console window): what its keys do, shown after its own help.
#include "window/terminal/TerminalDialog.h"

#include <cctype>

namespace dravo {
namespace {

constexpr std::string_view TYPING_HELP =
    "Keys: Enter sends the line; Up and Down (Ctrl+P, Ctrl+N) bring back earlier commands; Tab completes the "
    "last word (Tab Tab on an empty line lists everything); Ctrl+R searches the history back (Ctrl+R again: "
    "older; Esc or Ctrl+G: leave); a paste of several lines asks before they run; PgUp and PgDn scroll the "
    "log, and paging or End back to the bottom follows it again; Shift+Tab leaves the command input; Ctrl+C "
    "drops the line, or asks to exit on an empty one; Ctrl+L draws the screen again; F1 this help.";
constexpr std::string_view EDITING_HELP =
    "Editing: Left and Right (Ctrl+B, Ctrl+F); Alt+B, Alt+F, Ctrl+Left and Ctrl+Right by words; Home and End "
    "(Ctrl+A, Ctrl+E); Backspace, Delete (Ctrl+D); Ctrl+U and Ctrl+K cut before and after the caret, Ctrl+W "
    "and Alt+Backspace the word before it, Alt+D the word after it; Ctrl+Y puts back what was cut.";

// A caption as it reads, without the "&" that marks its letter.
std::string Caption(std::string_view text) {
    std::string caption;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) {
            ++i;
        }
        caption.push_back(text[i]);
    }
    return caption;
}

void Join(std::string& list, const std::string& entry) {
    list += (list.empty() ? "" : ", ") + entry;
}

} // namespace

std::vector<std::string> TerminalDialog::HelpKeys() const {
    if (!TypingFirst()) {
        return {};
    }
    std::string fromInput;
    std::string awayFromInput;
    for (const ControlState& control : m_Dialog.Model().Controls()) {
        const char letter = MnemonicOf(control.m_Text.Text());
        if (!control.IsButton() || !control.m_Visible || letter == 0) {
            continue;
        }
        const std::string entry = std::string("Alt+") +
                                  static_cast<char>(std::toupper(static_cast<unsigned char>(letter))) + " " +
                                  Caption(control.m_Text.Text());
        Join(LINE_EDITING_LETTERS.find(letter) == std::string_view::npos ? fromInput : awayFromInput, entry);
    }
    std::string buttons = "Buttons: " + (fromInput.empty() ? std::string("none") : fromInput);
    if (!awayFromInput.empty()) {
        buttons += "; with the focus out of the command input (Shift+Tab) also " + awayFromInput;
    }
    buttons += ". A question that loses something opens on No: Left, then Enter, answers Yes.";
    return {std::string(TYPING_HELP), std::string(EDITING_HELP), buttons};
}

} // namespace dravo
