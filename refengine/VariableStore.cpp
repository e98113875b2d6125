// VariableStore: the engine's console variables, name to text.
#include "VariableStore.h"

#include "TextUtil.h"

#include <algorithm>
#include <stdexcept>

namespace dravo::ref {

bool VariableStore::IsValidName(std::string_view name) {
    if (name.empty() || name.size() > MAX_NAME_LENGTH) {
        return false;
    }
    for (const char c : name) {
        if (c <= ' ' || c > '~' || c == '"') {
            return false;
        }
    }
    return true;
}

Variable* VariableStore::Find(std::string_view name) {
    const auto found = m_ByLowerName.find(TextUtil::ToLower(name));
    return found == m_ByLowerName.end() ? nullptr : found->second;
}

const Variable* VariableStore::Find(std::string_view name) const {
    const auto found = m_ByLowerName.find(TextUtil::ToLower(name));
    return found == m_ByLowerName.end() ? nullptr : found->second;
}

Variable& VariableStore::Set(std::string_view name, std::string_view text) {
    if (Variable* existing = Find(name)) {
        existing->m_Text = text;
        return *existing;
    }
    if (!IsValidName(name)) {
        throw std::invalid_argument("invalid console variable name");
    }
    auto created = std::make_unique<Variable>(Variable{std::string(name), std::string(text)});
    Variable* handle = created.get();
    std::string lower = TextUtil::ToLower(name);
    // Room for one more (growing geometrically, so adding is amortized constant time) before anything
    // changes: the push_back below then cannot throw.
    if (m_Variables.size() == m_Variables.capacity()) {
        m_Variables.reserve(std::max<size_t>(16, m_Variables.capacity() * 2));
    }
    m_ByLowerName.emplace(lower, handle);
    try {
        m_Handles.insert(handle);
    } catch (...) {
        // Out of memory half way: leave the store as it was.
        m_ByLowerName.erase(lower);
        throw;
    }
    m_Variables.push_back(std::move(created)); // cannot throw after the reserve
    return *handle;
}

} // namespace dravo::ref
