// The control model built from a template.
#include "platform/window/DialogModel.h"

namespace dravo {

ControlState::ControlState(const ControlTemplate& controlTemplate)
    : List(HasFlag(controlTemplate.Flags, ControlFlag::Sorted),
           !HasFlag(controlTemplate.Flags, ControlFlag::NoSelection)),
      Enabled(!HasFlag(controlTemplate.Flags, ControlFlag::Disabled)),
      Visible(!HasFlag(controlTemplate.Flags, ControlFlag::Hidden)), m_Template(&controlTemplate) {
    Text.SetText(controlTemplate.Kind == ControlKind::Bitmap ? std::string_view() : controlTemplate.Text);
}

DialogModel::DialogModel(const DialogTemplate& dialogTemplate)
    : m_Template(&dialogTemplate), m_Title(dialogTemplate.Title) {
    m_Controls.reserve(dialogTemplate.Controls.size());
    for (const ControlTemplate& control : dialogTemplate.Controls) {
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
        if (control.IsInput() && control.Visible && control.Enabled) {
            return &control;
        }
    }
    return nullptr;
}

} // namespace dravo
