// FuzzEngine and NullView: the smallest engine server object and session view a
// ServerSession can host over, for fuzz targets that drive a session in-process.
#pragma once

#include "engine/AppHandler.h"
#include "engine/EngineServer.h"
#include "host/console/SessionView.h"
#include "platform/os/Clock.h"

#include <cstring>
#include <limits>
#include <vector>

namespace dravo::fuzz {

class FuzzEngine final : public EngineServer {
public:
    FuzzEngine() {
        // Client ids the messages may name, with pings the front end must cope with.
        const float pings[] = {0.085f, -1.0f, std::numeric_limits<float>::quiet_NaN(), 1e30f, 0.0f};
        for (uint32_t i = 0; i < sizeof pings / sizeof pings[0]; ++i) {
            ClientRecord record{};
            std::strcpy(record.m_Name, "Player");
            record.m_ClientId = i + 1;
            record.m_PingSeconds = pings[i];
            m_Clients.push_back(record);
        }
    }
    virtual ~FuzzEngine() = default;

    int32_t AttachHandler(AppHandler*) override { return ENGINE_STATUS_OK; }
    int32_t ExecuteCommand(const char*) override { return ENGINE_STATUS_OK; }
    int32_t FindVariable(const char*, VariableHandle* handle, const char*) override {
        *handle = nullptr;
        return 1;
    }
    int32_t ReadVariableFloat(VariableHandle, float*) override { return 1; }
    int32_t ReadVariableText(VariableHandle, char*, uint32_t) override { return 1; }
    int32_t ReadVariablesFile(const char*) override { return ENGINE_STATUS_OK; }
    int32_t WriteVariablesFile(const char*) override { return ENGINE_STATUS_OK; }
    int32_t PostToGame(const char*) override { return ENGINE_STATUS_OK; }
    int32_t MountResources(const char* const*, uint32_t) override { return ENGINE_TRUE; }
    DirEntry* ListResourceDir(const char*) override { return nullptr; }
    int32_t ReleaseResourceDir(DirEntry*) override { return ENGINE_STATUS_OK; }
    int32_t LoadWorld(const LoadWorldRequest*) override { return ENGINE_TRUE; }
    uint32_t CountClients() override { return static_cast<uint32_t>(m_Clients.size()); }
    int32_t DescribeClient(uint32_t index, ClientRecord* record) override {
        if (index >= m_Clients.size()) {
            return 0;
        }
        *record = m_Clients[index];
        return ENGINE_TRUE;
    }
    int32_t DisconnectClient(uint32_t) override {
        ++m_Disconnects;
        return ENGINE_STATUS_OK;
    }
    int32_t LastErrorText(char* buffer, uint32_t size) override {
        if (size > 0) {
            buffer[0] = '\0';
        }
        return ENGINE_STATUS_OK;
    }
    int32_t RunFrame(uint32_t) override { return ENGINE_TRUE; }
    int32_t StartNetworking(uint32_t, uint32_t) override { return ENGINE_TRUE; }
    int32_t ListServices(ServiceRecord**) override { return 0; }
    int32_t ReleaseServices(ServiceRecord*) override { return ENGINE_STATUS_OK; }
    int32_t UseService(uint32_t) override { return 0; }
    int32_t OpenGameSession(const OpenGameSessionRequest*) override { return ENGINE_TRUE; }
    int32_t QueryHostAddress(char* buffer, uint32_t size, uint16_t* port) override {
        if (size > 0) {
            buffer[0] = '\0';
        }
        *port = 27888;
        return ENGINE_STATUS_OK;
    }
    int32_t SendGameDatagram(const void*, uint32_t, const char*, uint32_t) override { return 0; }
    int32_t Reserved1() override { return 0; }
    int32_t Reserved2() override { return 0; }
    int32_t Reserved3() override { return 0; }

    int m_Disconnects = 0;

private:
    std::vector<ClientRecord> m_Clients;
};

class NullView final : public ISessionView {
public:
    void AppendLogLine(std::string) override {}
    void ShowNetService(std::string) override {}
    void ShowServerName(std::string) override {}
    void ShowCurrentLevel(std::string) override {}
    void ShowNextLevel(std::string) override {}
    void ShowPlayers(PlayerListSnapshot) override {}
    void RequestClose() override {}
    void RequestStop() override {}
    void MemoryExhausted() override {}
};

// A clock that moves only when stepped, so every run of an input is the same.
class StepClock final : public IClock {
public:
    uint32_t NowMs() const override { return m_Now; }
    void SleepMs(uint32_t milliseconds) override { m_Now += milliseconds; }

private:
    uint32_t m_Now = 0;
};

} // namespace dravo::fuzz
