// Fuzzes the reader of the engine's variables file: whatever it loads, saving
// the loaded variables and reading that text back gives the same values.
#include "VariableStore.h"
#include "VariablesFile.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using dravo::ref::VariablesFile;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const VariablesFile::Parsed parsed = VariablesFile::Parse(text, "fuzz.cfg");

    dravo::ref::VariableStore store;
    for (const dravo::ref::Variable& variable : parsed.m_Variables) {
        if (!dravo::ref::VariableStore::IsValidName(variable.m_Name)) {
            std::abort();
        }
        store.Set(variable.m_Name, variable.m_Text);
    }
    const VariablesFile::Parsed again = VariablesFile::Parse(VariablesFile::Compose(store), "saved.cfg");
    if (!again.m_Problems.empty() || again.m_Variables.size() != store.Count()) {
        std::abort();
    }
    for (size_t i = 0; i < store.Count(); ++i) {
        if (again.m_Variables[i].m_Name != store.All()[i]->m_Name ||
            again.m_Variables[i].m_Text != store.All()[i]->m_Text) {
            std::abort();
        }
    }
    return 0;
}
