// Keys and clicks on a dialog of the terminal face.
#include "window/terminal/TerminalDialog.h"

#include "platform/os/Text.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace dravo {
namespace {

bool IsPushButton(const ControlState& control) {
    return control.Kind() == ControlKind::PushButton || control.Kind() == ControlKind::DefaultPushButton;
}

} // namespace

char TerminalDialog::MnemonicOf(std::string_view text) {
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
    const std::optional<CellRect> opener = m_Opener ? m_Opener() : std::nullopt;
    if (!opener) {
        return;
    }
    const CellRect& outer = m_Layout.Outer();
    if (!outer.Overlaps(CellRect{0, opener->m_Row, screenCols, opener->m_Height})) {
        return; // centred, it leaves the opener's line in view
    }
    const int below = opener->m_Row + opener->m_Height;
    const int above = opener->m_Row - outer.m_Height;
    if (below + outer.m_Height <= screenRows) {
        m_Layout.MoveDown(below - outer.m_Row);
    } else if (above >= 0) {
        m_Layout.MoveDown(above - outer.m_Row);
    }
}

std::optional<CellRect> TerminalDialog::FocusCells() const {
    if (m_Focus < 0 || static_cast<size_t>(m_Focus) >= m_Layout.ControlCount()) {
        return std::nullopt;
    }
    return m_Layout.Control(static_cast<size_t>(m_Focus));
}

std::string TerminalDialog::KeyLegend() const {
    if (!TypingFirst()) {
        return {};
    }
    if (m_Search) {
        return m_Search->Prompt();
    }
    const ControlState& input = m_Dialog.Model().Controls()[static_cast<size_t>(m_InputEdit)];
    if (input.m_Text.Length() >= input.m_TypingLimit ||
        (!m_InputRefusedOn.empty() && input.m_Text.Text() == m_InputRefusedOn)) {
        // A pasted line that does not fit loses its tail: the operator sees that it stopped there.
        return InputFullText(input.m_TypingLimit);
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

std::string TerminalDialog::InputFullText(int limit) {
    // The engine counts bytes: a character beyond ASCII takes two to four of them.
    return "The command is full: " + std::to_string(limit) + " bytes at the most; accented letters take 2 or more.";
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
        FollowLogs(); // a command is being sent: its answer comes in at the end of the log
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

void TerminalDialog::FollowLogs() {
    for (size_t index = 0; index < m_Views.size(); ++index) {
        if (m_Dialog.Model().Controls()[index].IsLog()) {
            m_Views[index].m_Follow = true;
        }
    }
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

} // namespace dravo
