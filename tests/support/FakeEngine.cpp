// The in-memory engine for unit tests.
#include "support/FakeEngine.h"

#include <cstdlib>
#include <cstring>

namespace dravo::test {

int32_t FakeEngine::ExecuteCommand(const char* command) {
    m_Commands.emplace_back(command);
    // The plus form: "+Key" "value", where the value runs to the last double quote.
    const std::string text = command;
    if (text.rfind("\"+", 0) == 0) {
        const size_t keyEnd = text.find('"', 2);
        const size_t valueStart = text.find('"', keyEnd + 1);
        const size_t valueEnd = text.rfind('"');
        if (keyEnd != std::string::npos && valueStart != std::string::npos && valueEnd > valueStart) {
            m_Variables[text.substr(2, keyEnd - 2)] = text.substr(valueStart + 1, valueEnd - valueStart - 1);
        }
    }
    return ENGINE_STATUS_OK;
}

int32_t FakeEngine::FindVariable(const char* name, VariableHandle* handle, const char*) {
    const auto found = m_Variables.find(name);
    if (found == m_Variables.end()) {
        *handle = nullptr;
        return 1;
    }
    *handle = &*found;
    return ENGINE_STATUS_OK;
}

int32_t FakeEngine::ReadVariableFloat(VariableHandle handle, float* value) {
    *value = std::strtof(static_cast<Variable*>(handle)->second.c_str(), nullptr);
    return ENGINE_STATUS_OK;
}

int32_t FakeEngine::ReadVariableText(VariableHandle handle, char* buffer, uint32_t size) {
    if (m_ReadTextFails || size == 0) {
        return 1;
    }
    const std::string& text = static_cast<Variable*>(handle)->second;
    const size_t length = std::min<size_t>(text.size(), size - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return ENGINE_STATUS_OK;
}

int32_t FakeEngine::ReadVariablesFile(const char* path) {
    m_ReadFiles.emplace_back(path);
    return 1; // no such file
}

int32_t FakeEngine::WriteVariablesFile(const char* path) {
    m_WrittenFiles.emplace_back(path);
    return m_WriteFileFails ? 1 : ENGINE_STATUS_OK;
}

int32_t FakeEngine::MountResources(const char* const* names, uint32_t count) {
    m_MountedNames.assign(names, names + count);
    return m_MountSucceeds ? 1 : 0;
}

int32_t FakeEngine::LastErrorText(char* buffer, uint32_t size) {
    if (size > 0) {
        buffer[0] = '\0';
    }
    return ENGINE_STATUS_OK;
}

} // namespace dravo::test
