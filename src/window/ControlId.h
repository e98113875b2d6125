// ControlId: a control or command id as procedures name it - a number, or a value of a dialog's enum of
// control ids, so that `dialog.SetItemText(ConsoleControl::ServerName, name)` reads as it should.
#pragma once

#include <type_traits>

namespace dravo {

class ControlId {
public:
    constexpr ControlId(int value) : m_Value(value) {} // NOLINT(google-explicit-constructor)
    template <typename Enum>
    requires std::is_enum_v<Enum>
    constexpr ControlId(Enum value) : m_Value(static_cast<int>(value)) {} // NOLINT(google-explicit-constructor)

    constexpr int Value() const { return m_Value; }

private:
    int m_Value;
};

} // namespace dravo
