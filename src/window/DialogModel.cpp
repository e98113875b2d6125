// The control model built from a template.
#include "window/DialogModel.h"

namespace dravo {

ControlState::ControlState(const ControlTemplate& controlTemplate)
    : m_List(HasFlag(controlTemplate.m_Flags, ControlFlag::Sorted),
             !HasFlag(controlTemplate.m_Flags, ControlFlag::NoSelection)),
      m_Enabled(!HasFlag(controlTemplate.m_Flags, ControlFlag::Disabled)),
      m_Visible(!HasFlag(controlTemplate.m_Flags, ControlFlag::Hidden)), m_Template(&controlTemplate) {
    m_Text.SetText(controlTemplate.m_Kind == ControlKind::Bitmap ? std::string_view() : controlTemplate.m_Text);
}

DialogModel::DialogModel(const DialogTemplate& dialogTemplate)
    : m_Template(&dialogTemplate), m_Title(dialogTemplate.m_Title) {
    m_Controls.reserve(dialogTemplate.m_Controls.size());
    for (const ControlTemplate& control : dialogTemplate.m_Controls) {
        m_Controls.emplace_back(control);
    }
}

ControlState* DialogModel::Find(int id) {
    if (id == NO_CONTROL_ID) {
        return nullptr;
    }
    for (ControlState& control : m_Controls) {
        if (control.Id() == id) {
            return &control;
        }
    }
    return nullptr;
}

const ControlState* DialogModel::Find(int id) const {
    if (id == NO_CONTROL_ID) {
        return nullptr;
    }
    for (const ControlState& control : m_Controls) {
        if (control.Id() == id) {
            return &control;
        }
    }
    return nullptr;
}

const ControlState* DialogModel::DefaultButton() const {
    for (const ControlState& control : m_Controls) {
        if (control.Kind() == ControlKind::DefaultPushButton) {
            return &control;
        }
    }
    return nullptr;
}

ControlState* DialogModel::InputEdit() {
    for (ControlState& control : m_Controls) {
        if (control.IsInput() && control.m_Visible && control.m_Enabled) {
            return &control;
        }
    }
    return nullptr;
}

ControlState* DialogModel::TypedFirstInput() {
    const ControlState* defaultButton = DefaultButton();
    return defaultButton != nullptr && !defaultButton->m_Visible ? InputEdit() : nullptr;
}

} // namespace dravo
