// FakeEngine: an in-memory engine server object for unit tests.
//
// It records what it is given (commands, resource lists, requests, posted
// texts, boots), keeps "+Key" "value" variables in a map, and answers as told:
// chosen operations fail, clients are listed, and hooks run inside RunFrame
// and DisconnectClient the way the real engine's game code calls back.
#pragma once

#include "engine/AppHandler.h"
#include "engine/EngineServer.h"

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
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
    std::vector<uint32_t> m_Disconnected;
    std::vector<std::string> m_Posted;
    std::optional<OpenGameSessionRequest> m_OpenRequest;
    std::optional<LoadWorldRequest> m_WorldRequest;
    AppHandler* m_Handler = nullptr;
    std::atomic<int> m_Frames{0};

    // What the fake answers.
    bool m_MountSucceeds = true;
    bool m_EchoCommands = false; // every command answers "ran: <command>" as a console line
    bool m_ReadTextFails = false;
    bool m_WriteFileFails = false;
    bool m_StartNetworkingSucceeds = true;
    bool m_OpenSucceeds = true;
    bool m_LoadWorldSucceeds = true;
    std::atomic<bool> m_FrameSucceeds{true};
    std::string m_ErrorText;
    std::vector<ClientRecord> m_Clients;
    std::string m_HostAddress;
    uint16_t m_HostPort = 0;
    // Run inside RunFrame, DisconnectClient and CountClients, on the calling thread.
    std::function<void()> m_OnFrame;
    std::function<void(uint32_t)> m_OnDisconnect;
    std::function<void()> m_OnCountClients;

    void AddClient(const char* name, uint32_t id, float pingSeconds);

    int32_t AttachHandler(AppHandler* handler) override {
        m_Handler = handler;
        return ENGINE_STATUS_OK;
    }
    int32_t ExecuteCommand(const char* command) override;
    int32_t FindVariable(const char* name, VariableHandle* handle, const char* valueText) override;
    int32_t ReadVariableFloat(VariableHandle handle, float* value) override;
    int32_t ReadVariableText(VariableHandle handle, char* buffer, uint32_t size) override;
    int32_t ReadVariablesFile(const char* path) override;
    int32_t WriteVariablesFile(const char* path) override;
    int32_t PostToGame(const char* text) override;
    int32_t MountResources(const char* const* names, uint32_t count) override;
    DirEntry* ListResourceDir(const char*) override { return nullptr; }
    int32_t ReleaseResourceDir(DirEntry*) override { return ENGINE_STATUS_OK; }
    int32_t LoadWorld(const LoadWorldRequest* request) override;
    uint32_t CountClients() override {
        if (m_OnCountClients) {
            m_OnCountClients();
        }
        return static_cast<uint32_t>(m_Clients.size());
    }
    int32_t DescribeClient(uint32_t index, ClientRecord* record) override;
    int32_t DisconnectClient(uint32_t clientId) override;
    int32_t LastErrorText(char* buffer, uint32_t size) override;
    int32_t RunFrame(uint32_t) override;
    int32_t StartNetworking(uint32_t, uint32_t) override { return m_StartNetworkingSucceeds ? 1 : 0; }
    int32_t ListServices(ServiceRecord**) override { return 0; }
    int32_t ReleaseServices(ServiceRecord*) override { return ENGINE_STATUS_OK; }
    int32_t UseService(uint32_t) override { return 0; }
    int32_t OpenGameSession(const OpenGameSessionRequest* request) override;
    int32_t QueryHostAddress(char* buffer, uint32_t size, uint16_t* port) override;
    int32_t SendGameDatagram(const void* data, uint32_t length, const char* address, uint32_t port) override {
        std::scoped_lock lock(m_DatagramMutex);
        m_GameDatagrams.push_back({std::string(static_cast<const char*>(data), length), address, port});
        return 1;
    }
    // What went out through the game port, in order.
    struct GameDatagram {
        std::string m_Data;
        std::string m_Address;
        uint32_t m_Port;
    };
    std::vector<GameDatagram> GameDatagrams() const {
        std::scoped_lock lock(m_DatagramMutex);
        return m_GameDatagrams;
    }
    int32_t Reserved1() override { return 0; }
    int32_t Reserved2() override { return 0; }
    int32_t Reserved3() override { return 0; }

private:
    mutable std::mutex m_DatagramMutex;
    std::vector<GameDatagram> m_GameDatagrams;
    // Handles point at map nodes, which stay put while the map grows.
    using Variable = std::map<std::string, std::string>::value_type;
};

} // namespace dravo::test
