// Operator actions on a scripted dialog.
#include "support/ScriptedDialog.h"

#include "window/WindowThreadQueue.h"

namespace dravo {
namespace {

// A script that posts work forever must not hang the test.
constexpr int MAX_DRAIN_ROUNDS = 10000;

} // namespace

ControlState* ScriptedDialog::Usable(int id) {
    ControlState* control = m_Dialog.Model().Find(id);
    if (m_Dialog.Ended() || control == nullptr || !control->m_Visible || !control->m_Enabled) {
        return nullptr;
    }
    return control;
}

bool ScriptedDialog::Settle(bool delivered) {
    RunPosted();
    return delivered;
}

bool ScriptedDialog::SetText(ControlId id, std::string_view text) {
    ControlState* control = Usable(id.Value());
    if (control == nullptr || control->Kind() != ControlKind::Edit || control->Has(ControlFlag::ReadOnly)) {
        return false;
    }
    return Settle(m_Dialog.SetItemText(id, text));
}

bool ScriptedDialog::Click(ControlId id) {
    ControlState* control = Usable(id.Value());
    if (control == nullptr || !control->IsButton()) {
        return false;
    }
    if (control->Kind() == ControlKind::CheckBox) {
        (void)m_Dialog.CheckItem(id, !control->m_Checked);
    }
    m_Dialog.SendCommand(id, Notification::Click);
    return Settle(true);
}

bool ScriptedDialog::SetChecked(ControlId id, bool checked) {
    ControlState* control = Usable(id.Value());
    if (control == nullptr || control->Kind() != ControlKind::CheckBox) {
        return false;
    }
    return IsChecked(id) == checked || Click(id);
}

bool ScriptedDialog::Select(ControlId id, int index) {
    ControlState* control = Usable(id.Value());
    if (control == nullptr || control->Kind() != ControlKind::ListBox || index < 0 ||
        index >= control->m_List.Count() || !control->m_List.IsSelectable()) {
        return false;
    }
    const bool changed = control->m_List.Selection() != index;
    (void)m_Dialog.ListSetSelection(id, index);
    if (changed && control->Has(ControlFlag::Notify)) {
        m_Dialog.SendCommand(id, Notification::SelectionChange);
    }
    return Settle(true);
}

bool ScriptedDialog::SelectText(ControlId id, std::string_view text) {
    for (int index = 0; index < ListCount(id); ++index) {
        if (ListText(id, index) == text) {
            return Select(id, index);
        }
    }
    return false;
}

bool ScriptedDialog::DoubleClick(ControlId id, int index) {
    if (!Select(id, index)) {
        return false;
    }
    const ControlState* control = m_Dialog.Model().Find(id.Value());
    if (!m_Dialog.Ended() && control->Has(ControlFlag::Notify)) {
        m_Dialog.SendCommand(id, Notification::DoubleClick);
    }
    return Settle(true);
}

bool ScriptedDialog::PressEnter() {
    if (m_Dialog.Ended()) {
        return false;
    }
    return m_Dialog.PressDefaultButton() && Settle(true);
}

bool ScriptedDialog::PressEscape() {
    if (m_Dialog.Ended()) {
        return false;
    }
    m_Dialog.SendCommand(DIALOG_ID_CANCEL);
    return Settle(true);
}

bool ScriptedDialog::Close() {
    if (m_Dialog.Ended()) {
        return false;
    }
    m_Dialog.DeliverCloseRequest(false);
    return Settle(true);
}

bool ScriptedDialog::ForceClose() {
    if (m_Dialog.Ended()) {
        return false;
    }
    m_Dialog.DeliverCloseRequest(true);
    return Settle(true);
}

bool ScriptedDialog::FireTimer(int timerId) {
    if (m_Dialog.Ended() || m_Queue == nullptr) {
        return false;
    }
    return Settle(m_Queue->FireTimer(&m_Dialog, timerId));
}

size_t ScriptedDialog::RunPosted() {
    size_t total = 0;
    if (m_Queue == nullptr) {
        return total;
    }
    for (int round = 0; round < MAX_DRAIN_ROUNDS; ++round) {
        const size_t ran = m_Queue->RunPending();
        if (ran == 0) {
            break;
        }
        total += ran;
    }
    return total;
}

bool ScriptedDialog::RunPostedUntil(const std::function<bool()>& done, std::chrono::milliseconds bound) {
    if (m_Queue == nullptr) {
        return done();
    }
    const auto deadline = WindowThreadQueue::Clock::now() + bound;
    while (true) {
        RunPosted();
        if (done()) {
            return true;
        }
        if (!m_Queue->WaitForWork(deadline)) {
            RunPosted();
            return done();
        }
    }
}

} // namespace dravo
