// The in-memory engine for unit tests.
#include "support/FakeEngine.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace dravo::test {

int32_t FakeEngine::ExecuteCommand(const char* command) {
    m_Commands.emplace_back(command);
    if (m_EchoCommands && m_Handler != nullptr) {
        m_Handler->OnConsoleLine(("ran: " + std::string(command)).c_str());
    }
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
        std::snprintf(buffer, size, "%s", m_ErrorText.c_str());
    }
    return ENGINE_STATUS_OK;
}

} // namespace dravo::test

namespace dravo::test {

void FakeEngine::AddClient(const char* name, uint32_t id, float pingSeconds) {
    ClientRecord record{};
    std::snprintf(record.m_Name, sizeof record.m_Name, "%s", name);
    record.m_ClientId = id;
    record.m_PingSeconds = pingSeconds;
    m_Clients.push_back(record);
}

int32_t FakeEngine::PostToGame(const char* text) {
    m_Posted.emplace_back(text);
    return ENGINE_STATUS_OK;
}

int32_t FakeEngine::LoadWorld(const LoadWorldRequest* request) {
    m_WorldRequest = *request;
    return m_LoadWorldSucceeds ? 1 : 0;
}

int32_t FakeEngine::DescribeClient(uint32_t index, ClientRecord* record) {
    if (index >= m_Clients.size()) {
        return 0;
    }
    *record = m_Clients[index];
    return 1;
}

int32_t FakeEngine::DisconnectClient(uint32_t clientId) {
    m_Disconnected.push_back(clientId);
    if (m_OnDisconnect) {
        m_OnDisconnect(clientId);
    }
    return ENGINE_STATUS_OK;
}

int32_t FakeEngine::RunFrame(uint32_t) {
    ++m_Frames;
    if (m_OnFrame) {
        m_OnFrame();
    }
    return m_FrameSucceeds ? 1 : 0;
}

int32_t FakeEngine::OpenGameSession(const OpenGameSessionRequest* request) {
    m_OpenRequest = *request;
    return m_OpenSucceeds ? 1 : 0;
}

int32_t FakeEngine::QueryHostAddress(char* buffer, uint32_t size, uint16_t* port) {
    std::snprintf(buffer, size, "%s", m_HostAddress.c_str());
    *port = m_HostPort;
    return ENGINE_STATUS_OK;
}

} // namespace dravo::test
