// TerminalDialog: the operator's keyboard and mouse on one running dialog of the terminal face - the
// focus, scrolling, typing, and the commands that keys and clicks stand for.
//
// Keys: Tab and Shift+Tab move the focus over the visible, enabled buttons, check boxes, edits and
// lists (arrows do too where they have nothing else to do); an edit entered so, or given the focus by
// its dialog, has its whole text selected, and typing replaces it. Arrows, Page Up/Down, Home and End
// move in lists and scroll logs; Space presses a button or toggles a check box; Enter presses the
// focused button, or stands for a double click on the selected item of a notifying list when the
// dialog reacts to it, else presses the default button (OK when there is none); Esc is Cancel;
// Alt+letter works the control whose caption marks that letter with "&" (a letter alone never does: in
// a list it finds the next item that begins with it); Ctrl+C is the close box.
//
// A dialog whose default button is hidden (the console window) is typed into first: it starts in its
// input edit, labelled INPUT_LABEL, every printable key typed with the focus elsewhere goes there and
// takes the focus along, and its buttons answer Alt+letter, Enter and clicks only, after which the
// focus is back in the input. There Up and Down ask the dialog for the history, Tab for a completion
// (it never leaves the input; Shift+Tab does), Page Up and Page Down scroll the log, F1 asks for the
// help action, Esc does nothing, Ctrl+C drops a line that holds text, and the Alt letters of a shell's
// line editor act on the line instead of working a button. Pasted text is text, never keys: one line
// is typed; several lines in the command input go to the dialog (OnPasteLines), which asks before
// running them. Ctrl+R searches the history back as a shell does: typed text is looked for, Ctrl+R
// again finds an older line, Enter sends the line found, Esc, Ctrl+G or Ctrl+C give the line back as it
// was, and any other key takes the line found and acts on it.
#pragma once

#include "window/DialogApi.h"
#include "window/LossQuestion.h"
#include "window/terminal/TerminalKeys.h"
#include "window/terminal/TerminalLayout.h"
#include "window/terminal/TerminalRenderer.h"
#include "window/terminal/TerminalReverseSearch.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dravo {

class TerminalDialog {
public:
    static constexpr std::string_view INPUT_LABEL = "Command:";
    // The action F1 asks the console window for.
    static constexpr std::string_view HELP_ACTION = "help";
    // The keys of a dialog typed into first, which its legend line names, before its close button.
    static constexpr std::string_view TYPING_KEYS = "F1 Help  Up/Down History  Tab Complete  PgUp/PgDn Scroll";
    // The Alt letters a shell's line editor uses: in the command input they act on the line, or do
    // nothing, and never work a button.
    static constexpr std::string_view LINE_EDITING_LETTERS = "bcdflnprtuy";

    // activity counts what dialogs do (control changes, posted work), so that a key can tell whether
    // a double click did anything.
    TerminalDialog(DialogApi& dialog, std::function<uint64_t()> activity);

    DialogApi& Api() { return m_Dialog; }
    void LayOut(int screenCols, int screenRows);
    const TerminalLayout& Layout() const { return m_Layout; }
    // The one line of key help that a dialog typed into first shows at its foot; empty for others.
    // While its input is full (or refused a character that would not fit), the line says so instead.
    std::string KeyLegend() const;
    static std::string InputFullText(int limit);
    // What F1 shows after the dialog's own help, for a dialog typed into first: its keys, the line
    // editing keys and the Alt letters of its buttons, saying which work from the command input.
    std::vector<std::string> HelpKeys() const;
    // The letter a caption marks with "&", lower case, or 0.
    static char MnemonicOf(std::string_view text);
    std::optional<CursorCell> Draw(TerminalRenderer& renderer);
    void HandleKey(const KeyEvent& key);
    // The index of the control with the focus, or -1.
    int Focus() const { return m_Focus; }
    // Whether typing goes to its command input first, wherever the focus is (the console window).
    bool TypedIntoFirst() const { return TypingFirst(); }
    // For a dialog a key opened over such a dialog: typed text, Enter, Alt letters, Tab, Up and Down (the
    // command input's habits) do nothing until the operator moves in it (Shift+Tab, Left, Right, Page
    // Up/Down, Home, End, a click); Esc still closes it.
    void GuardTyping() { m_Guarded = true; }
    // For a dialog a control of another opened (the colour picker of a colour's button): it stands
    // above or below the cells `opener` gives at each layout, where it fits, so that the control and
    // its label stay in view; centred where neither fits.
    void OpenBeside(std::function<std::optional<CellRect>()> opener) { m_Opener = std::move(opener); }
    // The cells of the control with the focus, if any.
    std::optional<CellRect> FocusCells() const;
    // For a question whose Yes loses something: its keys follow LossQuestion (Left then Enter answers
    // Yes; no habit of a shell user does), clicks work its buttons as ever.
    void AskAsLossQuestion();
    // The lines of pasted text as the command input would take them typed: split at line ends, without
    // control characters or bytes that are not UTF-8 (a tab is a blank), blank lines left out; at most
    // MAX_PASTED_LINES.
    static std::vector<std::string> PastedLines(std::string_view text);
    static constexpr size_t MAX_PASTED_LINES = 100;

private:
    // The focused control and what it is, for the keys that act on it.
    struct KeyTarget {
        ControlState* m_Control = nullptr;
        TerminalControlView* m_View = nullptr;
        bool m_List = false;
        bool m_Log = false;    // an edit that is not typed into (the console log)
        bool m_Typing = false; // a one-line field the operator types into
    };

    KeyTarget FocusTarget();
    void MovementKey(const KeyEvent& key, const KeyTarget& target);
    bool TakenWhileGuarded(const KeyEvent& key);
    // A key on a loss question; false for the keys it leaves to the dialog (clicks, resizing).
    bool QuestionKeyTaken(const KeyEvent& key);
    void DialogKey(KeyKind kind);
    void TabKey(int step);
    void AltKey(char letter, const KeyTarget& target);
    void InterruptKey(const KeyTarget& target);
    void CharacterKey(const KeyEvent& key, const KeyTarget& target);
    // Ctrl+R in the command input: a search back through its history, shown on the key line.
    void StartSearch();
    // Ctrl+R that starts a search, or a key while searching: false for the keys that act as ever (one
    // that ends a search takes the line found first).
    bool SearchKeyTaken(const KeyEvent& key);
    void ShowFound();
    // Pasted text: a line is typed, several lines in the command input go to the dialog to run.
    void PasteKey(const KeyEvent& key, const KeyTarget& target);
    // Types a line of text into a field character by character, up to the first one it refuses.
    void TypeLine(ControlState& edit, TerminalControlView& view, std::string_view line);
    bool Focusable(int index) const;
    bool TypingFirst() const { return m_InputEdit >= 0; }
    // Moves the focus; an edit entered with selectText has its whole text selected.
    void FocusOn(int index, bool selectText);
    ControlState* FocusedControl();
    void KeepFocusUsable();
    void MoveFocus(int step);
    void Press(int index);
    void PressEnter();
    // The logs show their newest lines again, for the answer that is about to come.
    void FollowLogs();
    bool Mnemonic(char letter);
    void MoveInList(ControlState& list, TerminalControlView& view, int step, bool toEdge);
    void Select(ControlState& list, int item);
    void ScrollLog(TerminalControlView& view, int step, bool toEdge);
    void EditKey(ControlState& edit, TerminalControlView& view, const KeyEvent& key);
    void TypeIntoInput(const KeyEvent& key);
    void FindInList(ControlState& list, char letter);
    void InputMovementKey(int sign, bool line);
    bool CompleteInput();
    void SetInputText(const std::string& text);
    void ClickAt(int col, int row, bool twice);
    bool IsTyping(const ControlState& control) const;
    int PageSize(int index) const;

    DialogApi& m_Dialog;
    std::function<uint64_t()> m_Activity;
    TerminalLayout m_Layout;
    std::vector<TerminalControlView> m_Views;
    int m_Focus = -1;
    int m_InputEdit = -1; // where typing goes when the default button is hidden
    bool m_Guarded = false;
    std::string m_InputRefusedOn; // the input's text when it refused a character that did not fit
    std::optional<LossQuestion> m_Question;
    std::optional<TerminalReverseSearch> m_Search;
    std::function<std::optional<CellRect>()> m_Opener;
};

} // namespace dravo
