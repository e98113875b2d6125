// The keys on a dialog of the terminal face: what each one does to the focused control.
#include "window/terminal/TerminalDialog.h"

#include "platform/os/Text.h"
#include "window/terminal/TerminalLineEditor.h"

#include <algorithm>

namespace dravo {
namespace {

// Whether the item, or its last part after a backslash (a level's name in "Worlds\Multi\name"), begins
// with the letter, ignoring case.
bool StartsWithLetter(std::string_view item, char letter) {
    const size_t slash = item.rfind('\\');
    const std::string_view name = slash == std::string_view::npos ? item : item.substr(slash + 1);
    return (!item.empty() && LowerChar(item.front()) == LowerChar(letter)) ||
           (!name.empty() && LowerChar(name.front()) == LowerChar(letter));
}

} // namespace

TerminalDialog::KeyTarget TerminalDialog::FocusTarget() {
    KeyTarget target;
    target.m_Control = FocusedControl();
    if (target.m_Control == nullptr) {
        return target;
    }
    target.m_View = &m_Views[static_cast<size_t>(m_Focus)];
    target.m_List = target.m_Control->Kind() == ControlKind::ListBox;
    target.m_Typing = IsTyping(*target.m_Control);
    target.m_Log = target.m_Control->Kind() == ControlKind::Edit && !target.m_Typing;
    return target;
}

void TerminalDialog::HandleKey(const KeyEvent& key) {
    if (m_Guarded && !TakenWhileGuarded(key)) {
        return;
    }
    if (m_Question && QuestionKeyTaken(key)) {
        return;
    }
    const KeyTarget target = FocusTarget();
    if (SearchKeyTaken(key)) {
        return;
    }
    switch (key.m_Kind) {
    case KeyKind::Tab:
    case KeyKind::BackTab:
        TabKey(key.m_Kind == KeyKind::Tab ? 1 : -1);
        return;
    case KeyKind::Up:
    case KeyKind::Down:
    case KeyKind::PageUp:
    case KeyKind::PageDown:
    case KeyKind::Home:
    case KeyKind::End:
    case KeyKind::Left:
    case KeyKind::Right:
        MovementKey(key, target);
        return;
    case KeyKind::Char:
        CharacterKey(key, target);
        return;
    case KeyKind::Paste:
        PasteKey(key, target);
        return;
    case KeyKind::Backspace:
    case KeyKind::Delete:
    case KeyKind::Control:
    case KeyKind::WordLeft:
    case KeyKind::WordRight:
    case KeyKind::WordDelete:
        if (target.m_Typing) {
            EditKey(*target.m_Control, *target.m_View, key);
        }
        return;
    case KeyKind::Alt:
        AltKey(key.m_Letter, target);
        return;
    case KeyKind::Enter:
        PressEnter();
        return;
    case KeyKind::Interrupt:
        InterruptKey(target);
        return;
    case KeyKind::Click:
    case KeyKind::DoubleClick:
        ClickAt(key.m_Col, key.m_Row, key.m_Kind == KeyKind::DoubleClick);
        return;
    default:
        DialogKey(key.m_Kind);
        return;
    }
}

// A dialog opened by a chord takes no typed text until the operator moves in it: text meant for the
// command input, typed on after a key that opened the dialog, must not toggle or fill anything there.
bool TerminalDialog::TakenWhileGuarded(const KeyEvent& key) {
    switch (key.m_Kind) {
    case KeyKind::Char:
    case KeyKind::Paste:
    case KeyKind::Backspace:
    case KeyKind::Delete:
    case KeyKind::Control:
    case KeyKind::WordDelete:
    case KeyKind::Enter:
    case KeyKind::Alt:
    case KeyKind::Tab:  // the command input's completion,
    case KeyKind::Up:   // and its history: a shell user's habits,
    case KeyKind::Down: // which do not say the operator works this dialog
        return false;
    case KeyKind::Escape:
    case KeyKind::Help:
    case KeyKind::Interrupt:
    case KeyKind::None:
    case KeyKind::Resize:
    case KeyKind::Repaint:
        return true; // they leave the dialog as it is, or close it unchanged
    default:
        m_Guarded = false; // Shift+Tab, Left, Right, a click: the operator is working this dialog now
        return true;
    }
}

void TerminalDialog::AskAsLossQuestion() {
    m_Question.emplace();
}

bool TerminalDialog::QuestionKeyTaken(const KeyEvent& key) {
    QuestionKey asked = QuestionKey::Other;
    switch (key.m_Kind) {
    case KeyKind::Click:
    case KeyKind::DoubleClick:
    case KeyKind::Resize:
    case KeyKind::Repaint:
    case KeyKind::None:
        return false;
    case KeyKind::Enter:
        asked = QuestionKey::Enter;
        break;
    case KeyKind::Left:
    case KeyKind::Right:
        // Only the arrow keys move between the answers: Ctrl+B and Ctrl+F, a shell's habit at a prompt,
        // answer nothing.
        if (key.m_Letter == 0) {
            asked = key.m_Kind == KeyKind::Left ? QuestionKey::Left : QuestionKey::Right;
        }
        break;
    case KeyKind::Escape:
        asked = QuestionKey::Escape;
        break;
    case KeyKind::Interrupt:
        asked = QuestionKey::Interrupt;
        break;
    case KeyKind::Alt:
        asked = LossQuestion::AltLetter(key.m_Letter);
        break;
    default:
        break;
    }
    const auto answer = m_Question->Key(asked);
    const auto controls = m_Dialog.Model().Controls();
    const int shown =
        answer ? (*answer == MessageBoxResult::Yes ? QUESTION_ID_YES : QUESTION_ID_NO) : m_Question->FocusId();
    for (size_t index = 0; index < controls.size(); ++index) {
        if (controls[index].Id() == shown) {
            FocusOn(static_cast<int>(index), false);
        }
    }
    if (answer) {
        m_Dialog.SendCommand(shown, Notification::Click);
    }
    return true;
}

// Esc, F1 and the keys that leave a dialog alone.
void TerminalDialog::DialogKey(KeyKind kind) {
    if (kind == KeyKind::Escape && !TypingFirst()) { // in the console window Esc is a stray key
        m_Dialog.SendCommand(DIALOG_ID_CANCEL);
    } else if (kind == KeyKind::Help && TypingFirst()) {
        if (!m_Dialog.DeliverHelpAsked(HelpKeys())) {
            (void)m_Dialog.DeliverActionLine(HELP_ACTION);
        }
    }
}

// Tab in the command input completes and never leaves it (a shell user presses it by habit); elsewhere
// Tab and Shift+Tab move the focus, and Shift+Tab leaves the input.
void TerminalDialog::TabKey(int step) {
    if (step > 0 && TypingFirst() && m_Focus == m_InputEdit) {
        FollowLogs(); // what a completion lists comes in at the end of the log
        (void)CompleteInput();
        return;
    }
    MoveFocus(step);
}

// Alt with a letter. In the command input the letters a shell's line editor uses act on the line
// (B, F and D move and cut by words) or do nothing, and never work a button; elsewhere, and for other
// letters, Alt works the control whose caption marks the letter.
void TerminalDialog::AltKey(char letter, const KeyTarget& target) {
    if (TypingFirst() && m_Focus == m_InputEdit && target.m_Typing) {
        const char lower = LowerChar(letter);
        const KeyKind word = lower == 'b'   ? KeyKind::WordLeft
                             : lower == 'f' ? KeyKind::WordRight
                             : lower == 'd' ? KeyKind::WordDelete
                                            : KeyKind::None;
        if (word != KeyKind::None) {
            EditKey(*target.m_Control, *target.m_View, KeyEvent{word});
        }
        if (LINE_EDITING_LETTERS.find(lower) != std::string_view::npos) {
            return;
        }
    }
    (void)Mnemonic(letter);
}

// Ctrl+C: in the command input it drops a line that holds text, as a shell does; on an empty line, or
// elsewhere, it is the close box, which asks first.
void TerminalDialog::InterruptKey(const KeyTarget& target) {
    if (TypingFirst() && Focusable(m_InputEdit) &&
        !m_Dialog.Model().Controls()[static_cast<size_t>(m_InputEdit)].m_Text.Text().empty() &&
        (m_Focus == m_InputEdit || !target.m_Typing)) {
        FocusOn(m_InputEdit, false);
        SetInputText("");
        return;
    }
    m_Dialog.DeliverCloseRequest(false);
}

// Arrows, Page Up/Down, Home and End: they move in a list, scroll a log, move the caret of a field, or
// else move the focus.
void TerminalDialog::MovementKey(const KeyEvent& key, const KeyTarget& target) {
    switch (key.m_Kind) {
    case KeyKind::Up:
    case KeyKind::Down:
    case KeyKind::PageUp:
    case KeyKind::PageDown: {
        const int sign = key.m_Kind == KeyKind::Up || key.m_Kind == KeyKind::PageUp ? -1 : 1;
        const bool line = key.m_Kind == KeyKind::Up || key.m_Kind == KeyKind::Down;
        const int step = sign * (line ? 1 : PageSize(m_Focus));
        if (m_Focus == m_InputEdit && m_InputEdit >= 0) {
            InputMovementKey(sign, line);
        } else if (target.m_List) {
            MoveInList(*target.m_Control, *target.m_View, step, false);
        } else if (target.m_Log) {
            ScrollLog(*target.m_View, step, false);
        } else {
            MoveFocus(sign);
        }
        return;
    }
    case KeyKind::Home:
    case KeyKind::End: {
        const int sign = key.m_Kind == KeyKind::Home ? -1 : 1;
        if (target.m_List) {
            MoveInList(*target.m_Control, *target.m_View, sign, true);
        } else if (target.m_Log) {
            ScrollLog(*target.m_View, sign, true);
        } else if (target.m_Typing) {
            EditKey(*target.m_Control, *target.m_View, key);
        }
        return;
    }
    default: // Left and Right
        if (target.m_Typing) {
            EditKey(*target.m_Control, *target.m_View, key);
        } else if (!target.m_List && !target.m_Log) {
            MoveFocus(key.m_Kind == KeyKind::Left ? -1 : 1);
        }
        return;
    }
}

// A printable key: typed into the focused field, or into the input of a dialog that is typed into
// first; in a list it finds the next item that begins with it; else Space presses the focused button.
// A letter alone never works a button: only Alt with it does.
void TerminalDialog::CharacterKey(const KeyEvent& key, const KeyTarget& target) {
    if (target.m_Typing) {
        EditKey(*target.m_Control, *target.m_View, key);
    } else if (TypingFirst()) {
        TypeIntoInput(key); // a key typed by mistake never works a button here
    } else if (target.m_List && key.m_Letter != ' ' && key.m_Text.empty()) {
        FindInList(*target.m_Control, key.m_Letter);
    } else if (key.m_Letter == ' ' && target.m_Control != nullptr && target.m_Control->IsButton()) {
        Press(m_Focus);
    }
}

// The next item after the selection (wrapping round) whose text begins with the letter, ignoring case.
void TerminalDialog::FindInList(ControlState& list, char letter) {
    const int count = list.m_List.Count();
    if (!list.m_List.IsSelectable() || count == 0) {
        return;
    }
    const int from = list.m_List.Selection() == NO_SELECTION ? -1 : list.m_List.Selection();
    for (int step = 1; step <= count; ++step) {
        const int item = (from + step + count) % count;
        if (StartsWithLetter(list.m_List.Text(item).value_or(""), letter)) {
            Select(list, item);
            return;
        }
    }
}

// Up and Down in the command input walk its history; Page Up and Page Down scroll the log.
void TerminalDialog::InputMovementKey(int sign, bool line) {
    auto& input = m_Dialog.Model().Controls()[static_cast<size_t>(m_InputEdit)];
    if (line) {
        if (auto recalled = m_Dialog.DeliverRecall(input.Id(), sign, input.m_Text.Text())) {
            SetInputText(*recalled);
        }
        return;
    }
    const auto controls = m_Dialog.Model().Controls();
    for (size_t index = 0; index < controls.size(); ++index) {
        if (controls[index].IsLog()) {
            ScrollLog(m_Views[index], sign * PageSize(static_cast<int>(index)), false);
        }
    }
}

// Tab in the command input: the dialog's completion, when it completes the input at all.
bool TerminalDialog::CompleteInput() {
    auto& input = m_Dialog.Model().Controls()[static_cast<size_t>(m_InputEdit)];
    const auto completion = m_Dialog.DeliverCompletion(input.Id(), input.m_Text.Text());
    if (!completion) {
        return false;
    }
    SetInputText(completion->m_Text);
    return true;
}

void TerminalDialog::SetInputText(const std::string& text) {
    auto& input = m_Dialog.Model().Controls()[static_cast<size_t>(m_InputEdit)];
    (void)m_Dialog.SetItemText(input.Id(), text);
    LineCaret& caret = m_Views[static_cast<size_t>(m_InputEdit)].m_Edit;
    caret.m_Caret = input.m_Text.Length();
    caret.m_AllSelected = false;
}

void TerminalDialog::MoveInList(ControlState& list, TerminalControlView& view, int step, bool toEdge) {
    const int count = list.m_List.Count();
    if (!list.m_List.IsSelectable()) {
        view.m_Top = toEdge ? (step < 0 ? 0 : count) : view.m_Top + step; // drawing keeps it in range
        return;
    }
    if (count == 0) {
        return;
    }
    const int current = list.m_List.Selection();
    int item = current == NO_SELECTION ? (step < 0 ? count - 1 : 0) : current + step;
    if (toEdge) {
        item = step < 0 ? 0 : count - 1;
    }
    Select(list, std::clamp(item, 0, count - 1));
}

void TerminalDialog::ScrollLog(TerminalControlView& view, int step, bool toEdge) {
    if (toEdge) {
        view.m_Follow = step > 0;
        view.m_Top = step > 0 ? view.m_Top : 0;
        return;
    }
    view.m_Follow = false; // drawing follows again once the end is in view
    view.m_Top = std::max(view.m_Top + step, 0);
}

void TerminalDialog::EditKey(ControlState& edit, TerminalControlView& view, const KeyEvent& key) {
    std::string text = edit.m_Text.Text();
    LineRules rules = TerminalLineEditor::RulesFor(edit.Template());
    rules.m_MaxLength = std::min(rules.m_MaxLength, static_cast<size_t>(edit.m_TypingLimit));
    const bool input = TypingFirst() && &edit == &m_Dialog.Model().Controls()[static_cast<size_t>(m_InputEdit)];
    if (TerminalLineEditor::Apply(key, rules, text, view.m_Edit)) {
        (void)m_Dialog.SetItemText(edit.Id(), text);
    } else if (input && key.m_Kind == KeyKind::Char && text.size() + key.Typed().size() > rules.m_MaxLength) {
        m_InputRefusedOn = text; // a character that did not fit: the legend says so while the line stays
    }
}

void TerminalDialog::TypeIntoInput(const KeyEvent& key) {
    if (!Focusable(m_InputEdit)) {
        return;
    }
    if (m_Focus != m_InputEdit) {
        FocusOn(m_InputEdit, false); // typing goes on where the operator left the command
    }
    auto& input = m_Dialog.Model().Controls()[static_cast<size_t>(m_InputEdit)];
    EditKey(input, m_Views[static_cast<size_t>(m_InputEdit)], key);
}

} // namespace dravo
