// Keys and clicks on a dialog of the terminal face.
#include "window/terminal/TerminalDialog.h"

#include "platform/os/Text.h"
#include "window/terminal/TerminalLineEditor.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace dravo {
namespace {

// The letter a caption marks with "&", or 0.
char MnemonicOf(std::string_view text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == '&') {
            if (text[i + 1] != '&') {
                return LowerChar(text[i + 1]);
            }
            ++i;
        }
    }
    return 0;
}

// Whether the item, or its last part after a backslash (a level's name in "Worlds\Multi\name"), begins
// with the letter, ignoring case.
bool StartsWithLetter(std::string_view item, char letter) {
    const size_t slash = item.rfind('\\');
    const std::string_view name = slash == std::string_view::npos ? item : item.substr(slash + 1);
    return (!item.empty() && LowerChar(item.front()) == LowerChar(letter)) ||
           (!name.empty() && LowerChar(name.front()) == LowerChar(letter));
}

bool IsPushButton(const ControlState& control) {
    return control.Kind() == ControlKind::PushButton || control.Kind() == ControlKind::DefaultPushButton;
}

} // namespace

TerminalDialog::TerminalDialog(DialogApi& dialog, std::function<uint64_t()> activity)
    : m_Dialog(dialog), m_Activity(std::move(activity)), m_Views(dialog.Model().Controls().size()) {
    if (const ControlState* input = dialog.Model().TypedFirstInput()) {
        m_InputEdit = static_cast<int>(input - dialog.Model().Controls().data());
    }
    if (m_InputEdit >= 0) {
        m_Views[static_cast<size_t>(m_InputEdit)].m_Label = INPUT_LABEL;
    }
}

void TerminalDialog::LayOut(int screenCols, int screenRows) {
    m_Layout = TypingFirst() ? TerminalLayout::LogBelow(m_Dialog.Template(), screenCols, screenRows)
                             : TerminalLayout(m_Dialog.Template(), screenCols, screenRows);
}

std::string TerminalDialog::KeyLegend() const {
    if (!TypingFirst()) {
        return {};
    }
    std::string legend(TYPING_KEYS);
    const ControlTemplate* close = m_Dialog.Template().FindControl(DIALOG_ID_CANCEL);
    if (close != nullptr && MnemonicOf(close->m_Text) != 0) {
        std::string caption;
        for (size_t i = 0; i < close->m_Text.size(); ++i) {
            if (close->m_Text[i] == '&' && i + 1 < close->m_Text.size()) {
                ++i;
            }
            caption.push_back(close->m_Text[i]);
        }
        legend +=
            "  Alt+" +
            std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(MnemonicOf(close->m_Text))))) +
            " " + caption;
    }
    return legend;
}

std::optional<CursorCell> TerminalDialog::Draw(TerminalRenderer& renderer) {
    KeepFocusUsable();
    return renderer.Draw(m_Dialog.Model(), m_Layout, m_Views, m_Focus, KeyLegend());
}

bool TerminalDialog::Focusable(int index) const {
    const auto controls = m_Dialog.Model().Controls();
    if (index < 0 || index >= static_cast<int>(controls.size())) {
        return false;
    }
    const ControlState& control = controls[static_cast<size_t>(index)];
    if (!control.m_Visible || !control.m_Enabled || control.Id() == NO_CONTROL_ID) {
        return false;
    }
    return control.IsButton() || control.Kind() == ControlKind::ListBox || control.Kind() == ControlKind::Edit;
}

ControlState* TerminalDialog::FocusedControl() {
    KeepFocusUsable();
    return m_Focus < 0 ? nullptr : &m_Dialog.Model().Controls()[static_cast<size_t>(m_Focus)];
}

void TerminalDialog::FocusOn(int index, bool selectText) {
    if (m_Focus >= 0 && m_Focus != index) {
        m_Views[static_cast<size_t>(m_Focus)].m_Edit.m_AllSelected = false;
    }
    m_Focus = index;
    if (index < 0 || !selectText || !IsTyping(m_Dialog.Model().Controls()[static_cast<size_t>(index)])) {
        return;
    }
    // Entered as a whole, the text is selected: typing replaces it.
    LineCaret& edit = m_Views[static_cast<size_t>(index)].m_Edit;
    edit.m_Caret = m_Dialog.Model().Controls()[static_cast<size_t>(index)].m_Text.Length();
    edit.m_AllSelected = true;
}

void TerminalDialog::KeepFocusUsable() {
    const int requested = m_Dialog.Model().TakeFocusRequest();
    if (Focusable(requested)) {
        FocusOn(requested, true);
        return;
    }
    if (Focusable(m_Focus)) {
        return;
    }
    if (m_Focus < 0 && Focusable(m_InputEdit)) {
        FocusOn(m_InputEdit, false);
        return;
    }
    const int count = static_cast<int>(m_Dialog.Model().Controls().size());
    const int from = std::max(m_Focus, 0);
    for (int step = 0; step < count; ++step) {
        if (Focusable((from + step) % count)) {
            FocusOn((from + step) % count, true);
            return;
        }
    }
    m_Focus = -1;
}

void TerminalDialog::MoveFocus(int step) {
    KeepFocusUsable();
    const int count = static_cast<int>(m_Dialog.Model().Controls().size());
    for (int moved = 1; moved <= count && m_Focus >= 0; ++moved) {
        const int candidate = ((m_Focus + step * moved) % count + count) % count;
        if (Focusable(candidate)) {
            FocusOn(candidate, true);
            return;
        }
    }
}

bool TerminalDialog::IsTyping(const ControlState& control) const {
    return control.Kind() == ControlKind::Edit && !control.Has(ControlFlag::ReadOnly) &&
           !control.Has(ControlFlag::MultiLine);
}

int TerminalDialog::PageSize(int index) const {
    return std::max(m_Layout.ControlCount() > static_cast<size_t>(index)
                        ? m_Layout.Control(static_cast<size_t>(index)).m_Height - 1
                        : 1,
                    1);
}

void TerminalDialog::Press(int index) {
    ControlState& control = m_Dialog.Model().Controls()[static_cast<size_t>(index)];
    if (!control.IsButton() || !control.m_Enabled || !control.m_Visible) {
        return;
    }
    if (control.Kind() == ControlKind::CheckBox) {
        (void)m_Dialog.CheckItem(control.Id(), !control.m_Checked);
    }
    m_Dialog.SendCommand(control.Id(), Notification::Click);
    if (TypingFirst() && !m_Dialog.Ended() && Focusable(m_InputEdit)) {
        // The next key goes to the command again, never to the button that has just acted.
        FocusOn(m_InputEdit, false);
    }
}

void TerminalDialog::PressEnter() {
    if (TypingFirst()) {
        // A command is being sent: its answer comes in at the end of the log, so the log shows the end.
        for (size_t index = 0; index < m_Views.size(); ++index) {
            if (m_Dialog.Model().Controls()[index].IsLog()) {
                m_Views[index].m_Follow = true;
            }
        }
    }
    ControlState* focused = FocusedControl();
    if (focused != nullptr && IsPushButton(*focused)) {
        Press(m_Focus);
        return;
    }
    if (focused != nullptr && focused->Kind() == ControlKind::ListBox && focused->Has(ControlFlag::Notify) &&
        focused->m_List.Selection() != NO_SELECTION) {
        // A dialog that does nothing on a double click gets its default button instead.
        const uint64_t before = m_Activity ? m_Activity() : 0;
        m_Dialog.SendCommand(focused->Id(), Notification::DoubleClick);
        if (m_Dialog.Ended() || (m_Activity && m_Activity() != before)) {
            return;
        }
    }
    (void)m_Dialog.PressDefaultButton();
}

bool TerminalDialog::Mnemonic(char letter) {
    const auto controls = m_Dialog.Model().Controls();
    for (size_t index = 0; index < controls.size(); ++index) {
        const ControlState& control = controls[index];
        if (!control.m_Visible || !control.m_Enabled || MnemonicOf(control.m_Text.Text()) != LowerChar(letter) ||
            control.Kind() == ControlKind::Edit) {
            continue;
        }
        if (control.IsButton()) {
            FocusOn(static_cast<int>(index), false);
            Press(m_Focus);
        } else {
            // A label hands the focus to the first usable control after it.
            const int count = static_cast<int>(controls.size());
            for (int next = static_cast<int>(index) + 1; next < static_cast<int>(index) + count; ++next) {
                if (Focusable(next % count)) {
                    FocusOn(next % count, true);
                    break;
                }
            }
        }
        return true;
    }
    return false;
}

void TerminalDialog::Select(ControlState& list, int item) {
    if (item == list.m_List.Selection() || !m_Dialog.ListSetSelection(list.Id(), item)) {
        return;
    }
    if (list.Has(ControlFlag::Notify)) {
        m_Dialog.SendCommand(list.Id(), Notification::SelectionChange);
    }
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
    if (TerminalLineEditor::Apply(key, rules, text, view.m_Edit)) {
        (void)m_Dialog.SetItemText(edit.Id(), text);
    }
}

void TerminalDialog::TypeIntoInput(char letter) {
    if (!Focusable(m_InputEdit)) {
        return;
    }
    if (m_Focus != m_InputEdit) {
        FocusOn(m_InputEdit, false); // typing goes on where the operator left the command
    }
    auto& input = m_Dialog.Model().Controls()[static_cast<size_t>(m_InputEdit)];
    EditKey(input, m_Views[static_cast<size_t>(m_InputEdit)], KeyEvent{KeyKind::Char, letter});
}

void TerminalDialog::ClickAt(int col, int row, bool twice) {
    const auto controls = m_Dialog.Model().Controls();
    for (size_t index = controls.size(); index-- > 0;) {
        ControlState& control = controls[index];
        if (!m_Layout.Control(index).Contains(col, row) || !Focusable(static_cast<int>(index))) {
            continue;
        }
        const CellRect& cells = m_Layout.Control(index);
        TerminalControlView& view = m_Views[index];
        FocusOn(static_cast<int>(index), false);
        if (control.IsButton()) {
            Press(m_Focus);
        } else if (control.Kind() == ControlKind::ListBox) {
            const int item = view.m_Top + row - cells.m_Row;
            if (item < control.m_List.Count()) {
                Select(control, item);
                if (twice && control.Has(ControlFlag::Notify) && control.m_List.Selection() == item) {
                    m_Dialog.SendCommand(control.Id(), Notification::DoubleClick);
                }
            }
        } else if (IsTyping(control)) {
            view.m_Edit.m_Caret =
                view.m_Shift + col - cells.m_Col - TerminalRenderer::LabelColumns(view, cells.m_Width);
            view.m_Edit.m_AllSelected = false;
        }
        return;
    }
}

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
    const KeyTarget target = FocusTarget();
    switch (key.m_Kind) {
    case KeyKind::Tab:
        if (!(m_Focus == m_InputEdit && CompleteInput())) {
            MoveFocus(1);
        }
        return;
    case KeyKind::BackTab:
        MoveFocus(-1);
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
    case KeyKind::Backspace:
    case KeyKind::Delete:
    case KeyKind::Control:
        if (target.m_Typing) {
            EditKey(*target.m_Control, *target.m_View, key);
        }
        return;
    case KeyKind::Alt:
        (void)Mnemonic(key.m_Letter);
        return;
    case KeyKind::Enter:
        PressEnter();
        return;
    case KeyKind::Escape:
        if (!TypingFirst()) { // in the console window Esc is a stray key, often half an arrow key
            m_Dialog.SendCommand(DIALOG_ID_CANCEL);
        }
        return;
    case KeyKind::Help:
        if (TypingFirst()) {
            (void)m_Dialog.DeliverActionLine(HELP_ACTION);
        }
        return;
    case KeyKind::Interrupt:
        m_Dialog.DeliverCloseRequest(false);
        return;
    case KeyKind::Click:
    case KeyKind::DoubleClick:
        ClickAt(key.m_Col, key.m_Row, key.m_Kind == KeyKind::DoubleClick);
        return;
    case KeyKind::None:
    case KeyKind::Resize:
    case KeyKind::Repaint:
        return;
    }
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
        TypeIntoInput(key.m_Letter); // a key typed by mistake never works a button here
    } else if (target.m_List && key.m_Letter != ' ') {
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

} // namespace dravo
