// DialogApi, second half: the dialog's life - start, commands, timers, close requests, end - and the
// services it borrows from its face.
#include "window/DialogApi.h"

#include "window/DialogFace.h"
#include "window/WindowThreadQueue.h"

namespace dravo {

void DialogApi::Start() {
    Init();
    Show();
}

void DialogApi::Init() {
    m_Procedure.OnInit(*this);
}

void DialogApi::Show() {
    if (!m_Ended) {
        m_Procedure.OnShow(*this);
    }
}

void DialogApi::EndDialog(int result) {
    if (m_Ended) {
        return;
    }
    m_Ended = true;
    m_Result = result;
    m_Face.Queue()->Wake(); // a loop waiting for work must notice
}

void DialogApi::SendCommand(ControlId id, Notification code) {
    if (!m_Ended) {
        m_Procedure.OnCommand(*this, id.Value(), code);
    }
}

bool DialogApi::PressDefaultButton() {
    const ControlState* button = m_Model.DefaultButton();
    if (button == nullptr) {
        SendCommand(DIALOG_ID_OK);
        return true;
    }
    if (!button->m_Enabled) {
        return false;
    }
    SendCommand(button->Id());
    return true;
}

void DialogApi::PostCommand(ControlId id, Notification code) const {
    Poster().PostCommand(id, code);
}

DialogPoster DialogApi::Poster() const {
    return DialogPoster(m_Face.Queue(), m_Link);
}

void DialogApi::DeliverCloseRequest(bool forced) {
    if (!m_Ended) {
        m_Procedure.OnCloseRequest(*this, forced);
    }
}

void DialogApi::DeliverTimer(int timerId) {
    if (!m_Ended) {
        m_Procedure.OnTimer(*this, timerId);
    }
}

bool DialogApi::DeliverActionLine(std::string_view action) {
    return !m_Ended && m_Procedure.OnActionLine(*this, action);
}

bool DialogApi::DeliverHelpAsked(const std::vector<std::string>& keys) {
    return !m_Ended && m_Procedure.OnHelpAsked(*this, keys);
}

std::optional<std::string> DialogApi::DeliverRecall(ControlId id, int step, std::string_view current) {
    return m_Ended ? std::nullopt : m_Procedure.OnRecallLine(*this, id.Value(), step, current);
}

std::optional<InputCompletion> DialogApi::DeliverCompletion(ControlId id, std::string_view text) {
    return m_Ended ? std::nullopt : m_Procedure.OnCompleteLine(*this, id.Value(), text);
}

bool DialogApi::DeliverPastedLines(ControlId id, const std::vector<std::string>& lines) {
    return !m_Ended && m_Procedure.OnPasteLines(*this, id.Value(), lines);
}

void DialogApi::Finish() {
    if (m_Finished) {
        return;
    }
    m_Finished = true;
    m_Ended = true;
    // What was posted to the dialog before it ended still runs: a line logged during the shutdown shows.
    m_Face.Queue()->RunPending();
    m_Link->m_Dialog.store(nullptr);
    m_Face.Queue()->KillTimers(this);
    m_Procedure.OnDestroy(*this);
}

bool DialogApi::SetTimer(int timerId, uint32_t periodMs) {
    if (m_Finished || !m_Face.AcceptsTimer(timerId)) {
        return false;
    }
    return m_Face.Queue()->SetTimer(this, timerId, periodMs, [this, timerId] { DeliverTimer(timerId); });
}

bool DialogApi::KillTimer(int timerId) {
    return m_Face.Queue()->KillTimer(this, timerId);
}

MessageBoxResult DialogApi::ShowMessageBox(std::string_view text, std::string_view caption, MessageBoxButtons buttons,
                                           MessageBoxIcon icon, MessageBoxDefault defaultButton) {
    return m_Face.Windows().ShowMessageBox(text, caption, buttons, icon, defaultButton);
}

std::optional<ColorRgb> DialogApi::ChooseColor(ColorRgb initial) {
    return m_Face.Windows().ChooseColor(initial);
}

WindowSystem& DialogApi::Windows() {
    return m_Face.Windows();
}

} // namespace dravo
