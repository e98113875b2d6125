// VariableStore: the engine's console variables, name to text.
//
// Names are matched without regard to case and keep the spelling they were
// first given. A variable's address is its handle: it stays valid for the
// store's whole life, however many variables are added later. The store takes
// no lock; the server object guards it.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace dravo::ref {

struct Variable {
    std::string m_Name; // spelling given when the variable was created
    std::string m_Text; // current value
};

class VariableStore {
public:
    // A name is 1 to MAX_NAME_LENGTH printable ASCII characters without blanks or double quotes.
    static constexpr size_t MAX_NAME_LENGTH = 255;
    [[nodiscard]] static bool IsValidName(std::string_view name);

    Variable* Find(std::string_view name);
    const Variable* Find(std::string_view name) const;
    // Creates the variable or replaces its text; the name must be valid.
    Variable& Set(std::string_view name, std::string_view text);
    // True when the pointer is one of this store's variables (checks a handle from outside).
    [[nodiscard]] bool Owns(const void* handle) const { return m_Handles.count(handle) != 0; }

    size_t Count() const { return m_Variables.size(); }
    // Every variable, in the order they were created.
    const std::vector<std::unique_ptr<Variable>>& All() const { return m_Variables; }

private:
    std::vector<std::unique_ptr<Variable>> m_Variables;
    std::unordered_map<std::string, Variable*> m_ByLowerName;
    std::unordered_set<const void*> m_Handles;
};

} // namespace dravo::ref
