// FakeEngine: an in-memory engine server object for unit tests.
//
// It records every command and resource list it is given, keeps "+Key" "value"
// variables in a map, and can be told to fail chosen operations.
#pragma once

#include "engine/EngineServer.h"

#include <map>
#include <string>
#include <vector>

namespace dravo::test {

class FakeEngine final : public EngineServer {
public:
    FakeEngine() = default;
    virtual ~FakeEngine() = default;

    // What the fake saw.
    std::vector<std::string> m_Commands;
    std::vector<std::string> m_MountedNames;
    std::vector<std::string> m_ReadFiles;
    std::vector<std::string> m_WrittenFiles;
    std::map<std::string, std::string> m_Variables;

    // What the fake answers.
    bool m_MountSucceeds = true;
    bool m_ReadTextFails = false;
    bool m_WriteFileFails = false;
    bool m_StartNetworkingSucceeds = true;

    int32_t AttachHandler(AppHandler*) override { return ENGINE_STATUS_OK; }
    int32_t ExecuteCommand(const char* command) override;
    int32_t FindVariable(const char* name, VariableHandle* handle, const char* valueText) override;
    int32_t ReadVariableFloat(VariableHandle handle, float* value) override;
    int32_t ReadVariableText(VariableHandle handle, char* buffer, uint32_t size) override;
    int32_t ReadVariablesFile(const char* path) override;
    int32_t WriteVariablesFile(const char* path) override;
    int32_t PostToGame(const char*) override { return ENGINE_STATUS_OK; }
    int32_t MountResources(const char* const* names, uint32_t count) override;
    DirEntry* ListResourceDir(const char*) override { return nullptr; }
    int32_t ReleaseResourceDir(DirEntry*) override { return ENGINE_STATUS_OK; }
    int32_t LoadWorld(const LoadWorldRequest*) override { return 0; }
    uint32_t CountClients() override { return 0; }
    int32_t DescribeClient(uint32_t, ClientRecord*) override { return 0; }
    int32_t DisconnectClient(uint32_t) override { return ENGINE_STATUS_OK; }
    int32_t LastErrorText(char* buffer, uint32_t size) override;
    int32_t RunFrame(uint32_t) override { return 0; }
    int32_t StartNetworking(uint32_t, uint32_t) override { return m_StartNetworkingSucceeds ? 1 : 0; }
    int32_t ListServices(ServiceRecord**) override { return 0; }
    int32_t ReleaseServices(ServiceRecord*) override { return ENGINE_STATUS_OK; }
    int32_t UseService(uint32_t) override { return 0; }
    int32_t OpenGameSession(const OpenGameSessionRequest*) override { return 0; }
    int32_t QueryHostAddress(char*, uint32_t, uint16_t*) override { return ENGINE_STATUS_OK; }
    int32_t SendGameDatagram(const void*, uint32_t, const char*, uint32_t) override { return 0; }
    int32_t Reserved1() override { return 0; }
    int32_t Reserved2() override { return 0; }
    int32_t Reserved3() override { return 0; }

private:
    // Handles point at map nodes, which stay put while the map grows.
    using Variable = std::map<std::string, std::string>::value_type;
};

} // namespace dravo::test
