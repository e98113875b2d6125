// DialogModel: the state of a running dialog's controls - texts, checks, enabled and visible states,
// list items. Every face keeps the same model; faces differ only in how they show it.
#pragma once

#include "window/DialogTemplate.h"
#include "window/EditText.h"
#include "window/ListBoxModel.h"

#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dravo {

class ControlState {
public:
    explicit ControlState(const ControlTemplate& controlTemplate);

    const ControlTemplate& Template() const { return *m_Template; }
    int Id() const { return m_Template->m_Id; }
    ControlKind Kind() const { return m_Template->m_Kind; }
    bool Has(ControlFlag flag) const { return HasFlag(m_Template->m_Flags, flag); }

    // A multi-line edit the operator cannot type into: a log.
    bool IsLog() const {
        return Kind() == ControlKind::Edit && Has(ControlFlag::MultiLine) && Has(ControlFlag::ReadOnly);
    }
    // A one-line edit the operator can type into.
    bool IsInput() const {
        return Kind() == ControlKind::Edit && !Has(ControlFlag::MultiLine) && !Has(ControlFlag::ReadOnly);
    }
    bool IsButton() const {
        return Kind() == ControlKind::PushButton || Kind() == ControlKind::DefaultPushButton ||
               Kind() == ControlKind::CheckBox;
    }

    EditText m_Text;        // caption, label or edit content
    ListBoxModel m_List;    // items; empty for controls that are not list boxes
    bool m_Checked = false; // check boxes
    bool m_Enabled = true;  //
    bool m_Visible = true;  //
    // Edits: the most characters the operator can type in (DialogApi::LimitText); the procedure's own
    // texts are not cut to it.
    int m_TypingLimit = EditText::MAX_LENGTH;

private:
    const ControlTemplate* m_Template;
};

class DialogModel {
public:
    explicit DialogModel(const DialogTemplate& dialogTemplate);

    const DialogTemplate& Template() const { return *m_Template; }
    // The first control with this id, or nullptr; NO_CONTROL_ID finds nothing.
    ControlState* Find(int id);
    const ControlState* Find(int id) const;
    std::span<ControlState> Controls() { return m_Controls; }
    std::span<const ControlState> Controls() const { return m_Controls; }

    const std::string& Title() const { return m_Title; }
    void SetTitle(std::string_view title) { m_Title.assign(title); }
    int Icon() const { return m_Icon; }
    void SetIcon(int iconId) { m_Icon = iconId; }

    // The button Enter presses, or nullptr when the dialog has none.
    const ControlState* DefaultButton() const;
    // The one-line edit that takes typed input: the first visible, enabled one, or nullptr.
    ControlState* InputEdit();
    // The input of a dialog that is typed into first, or nullptr for other dialogs: a dialog whose
    // default button is hidden, so that Enter sends what was typed (the console window). Keys typed
    // anywhere in it belong to this input, and buttons answer to their Alt+letter only.
    ControlState* TypedFirstInput();
    // The control a procedure gave the focus to (DialogApi::SetFocus), by index, until the face takes
    // the request; -1 when there is none.
    int FocusRequest() const { return m_FocusRequest; }
    void RequestFocus(int index) { m_FocusRequest = index; }
    int TakeFocusRequest() { return std::exchange(m_FocusRequest, -1); }

private:
    const DialogTemplate* m_Template;
    std::vector<ControlState> m_Controls;
    std::string m_Title;
    int m_Icon = 0;
    int m_FocusRequest = -1;
};

} // namespace dravo
