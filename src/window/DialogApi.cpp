// The calls a dialog procedure makes on its controls, and the dialog's life as the faces run it.
#include "window/DialogApi.h"

#include "window/DialogFace.h"
#include "window/WindowThreadQueue.h"

#include <algorithm>

namespace dravo {

DialogApi::DialogApi(const DialogTemplate& dialogTemplate, DialogProcedure& procedure, DialogFace& face)
    : m_Model(dialogTemplate), m_Procedure(procedure), m_Face(face), m_Link(std::make_shared<DialogLink>()) {
    m_Link->m_Dialog.store(this);
}

DialogApi::~DialogApi() {
    m_Link->m_Dialog.store(nullptr);
    m_Face.Queue()->KillTimers(this);
}

void DialogApi::Changed(const ControlState& control) {
    m_Face.OnControlChanged(control);
}

bool DialogApi::SetItemText(ControlId id, std::string_view text) {
    ControlState* control = m_Model.Find(id.Value());
    if (control == nullptr || control->Kind() == ControlKind::ListBox) {
        return false;
    }
    control->m_Text.SetText(text);
    Changed(*control);
    return true;
}

std::string DialogApi::GetItemText(ControlId id, size_t maxLength) const {
    const ControlState* control = m_Model.Find(id.Value());
    if (control == nullptr || control->Kind() == ControlKind::ListBox) {
        return {};
    }
    return control->m_Text.Text().substr(0, maxLength);
}

bool DialogApi::CheckItem(ControlId id, bool checked) {
    ControlState* control = m_Model.Find(id.Value());
    if (control == nullptr || control->Kind() != ControlKind::CheckBox) {
        return false;
    }
    control->m_Checked = checked;
    Changed(*control);
    return true;
}

bool DialogApi::IsChecked(ControlId id) const {
    const ControlState* control = m_Model.Find(id.Value());
    return control != nullptr && control->m_Checked;
}

bool DialogApi::EnableItem(ControlId id, bool enabled) {
    ControlState* control = m_Model.Find(id.Value());
    if (control == nullptr) {
        return false;
    }
    control->m_Enabled = enabled;
    Changed(*control);
    return true;
}

bool DialogApi::IsEnabled(ControlId id) const {
    const ControlState* control = m_Model.Find(id.Value());
    return control != nullptr && control->m_Enabled;
}

bool DialogApi::ShowItem(ControlId id, bool visible) {
    ControlState* control = m_Model.Find(id.Value());
    if (control == nullptr) {
        return false;
    }
    control->m_Visible = visible;
    Changed(*control);
    return true;
}

bool DialogApi::IsVisible(ControlId id) const {
    const ControlState* control = m_Model.Find(id.Value());
    return control != nullptr && control->m_Visible;
}

bool DialogApi::SetFocus(ControlId id) {
    ControlState* control = m_Model.Find(id.Value());
    if (control == nullptr || !control->m_Visible || !control->m_Enabled) {
        return false;
    }
    m_Model.RequestFocus(static_cast<int>(control - m_Model.Controls().data()));
    Changed(*control);
    return true;
}

void DialogApi::SetTitle(std::string_view title) {
    m_Model.SetTitle(title);
}

ControlState* DialogApi::FindList(int id) {
    ControlState* control = m_Model.Find(id);
    return (control != nullptr && control->Kind() == ControlKind::ListBox) ? control : nullptr;
}

const ControlState* DialogApi::FindList(int id) const {
    const ControlState* control = m_Model.Find(id);
    return (control != nullptr && control->Kind() == ControlKind::ListBox) ? control : nullptr;
}

ControlState* DialogApi::FindEdit(int id) {
    ControlState* control = m_Model.Find(id);
    return (control != nullptr && control->Kind() == ControlKind::Edit) ? control : nullptr;
}

const ControlState* DialogApi::FindEdit(int id) const {
    const ControlState* control = m_Model.Find(id);
    return (control != nullptr && control->Kind() == ControlKind::Edit) ? control : nullptr;
}

int DialogApi::ListAdd(ControlId id, std::string_view text) {
    ControlState* list = FindList(id.Value());
    if (list == nullptr) {
        return LIST_ERROR;
    }
    const int index = list->m_List.Add(text);
    Changed(*list);
    return index;
}

int DialogApi::ListInsert(ControlId id, int index, std::string_view text) {
    ControlState* list = FindList(id.Value());
    if (list == nullptr) {
        return LIST_ERROR;
    }
    const int inserted = list->m_List.Insert(index, text);
    Changed(*list);
    return inserted;
}

int DialogApi::ListDelete(ControlId id, int index) {
    ControlState* list = FindList(id.Value());
    if (list == nullptr) {
        return LIST_ERROR;
    }
    const int left = list->m_List.Delete(index);
    Changed(*list);
    return left;
}

bool DialogApi::ListClear(ControlId id) {
    ControlState* list = FindList(id.Value());
    if (list == nullptr) {
        return false;
    }
    list->m_List.Clear();
    Changed(*list);
    return true;
}

int DialogApi::ListCount(ControlId id) const {
    const ControlState* list = FindList(id.Value());
    return list == nullptr ? LIST_ERROR : list->m_List.Count();
}

std::optional<std::string> DialogApi::ListText(ControlId id, int index, size_t maxLength) const {
    const ControlState* list = FindList(id.Value());
    if (list == nullptr) {
        return std::nullopt;
    }
    const auto text = list->m_List.Text(index);
    if (!text) {
        return std::nullopt;
    }
    return std::string(text->substr(0, maxLength));
}

bool DialogApi::ListSetData(ControlId id, int index, int64_t data) {
    ControlState* list = FindList(id.Value());
    return list != nullptr && list->m_List.SetData(index, data);
}

std::optional<int64_t> DialogApi::ListData(ControlId id, int index) const {
    const ControlState* list = FindList(id.Value());
    return list == nullptr ? std::nullopt : list->m_List.Data(index);
}

int DialogApi::ListFindExact(ControlId id, std::string_view text) const {
    const ControlState* list = FindList(id.Value());
    return list == nullptr ? LIST_ERROR : list->m_List.FindExact(text);
}

bool DialogApi::ListSetSelection(ControlId id, int index) {
    ControlState* list = FindList(id.Value());
    if (list == nullptr || !list->m_List.Select(index)) {
        return false;
    }
    Changed(*list);
    return true;
}

int DialogApi::ListSelection(ControlId id) const {
    const ControlState* list = FindList(id.Value());
    return list == nullptr ? NO_SELECTION : list->m_List.Selection();
}

bool DialogApi::ListSetTabStops(ControlId id, std::span<const int> stops) {
    ControlState* list = FindList(id.Value());
    if (list == nullptr) {
        return false;
    }
    list->m_List.SetTabStops(stops);
    Changed(*list);
    return true;
}

int DialogApi::EditLineCount(ControlId id) const {
    const ControlState* edit = FindEdit(id.Value());
    return edit == nullptr ? -1 : edit->m_Text.LineCount();
}

int DialogApi::EditLineIndex(ControlId id, int line) const {
    const ControlState* edit = FindEdit(id.Value());
    return edit == nullptr ? -1 : edit->m_Text.LineIndex(line);
}

int DialogApi::EditLength(ControlId id) const {
    const ControlState* edit = FindEdit(id.Value());
    return edit == nullptr ? -1 : edit->m_Text.Length();
}

bool DialogApi::EditReplaceRange(ControlId id, int start, int end, std::string_view text) {
    ControlState* edit = FindEdit(id.Value());
    if (edit == nullptr || !edit->m_Text.ReplaceRange(start, end, text)) {
        return false;
    }
    Changed(*edit);
    return true;
}

bool DialogApi::EditAppend(ControlId id, std::string_view text) {
    ControlState* edit = FindEdit(id.Value());
    if (edit == nullptr || !edit->m_Text.Append(text)) {
        return false;
    }
    m_Face.OnTextAppended(*edit, text);
    Changed(*edit);
    return true;
}

bool DialogApi::LimitText(ControlId id, int maxChars) {
    ControlState* edit = FindEdit(id.Value());
    if (edit == nullptr) {
        return false;
    }
    edit->m_TypingLimit = std::clamp(maxChars, 1, EditText::MAX_LENGTH);
    Changed(*edit);
    return true;
}

} // namespace dravo
