// EngineSendHook: sends the query reporter's datagrams from the engine's game port.
#pragma once

#include "engine/EngineServer.h"
#include "net/SendHook.h"

namespace dravo {

class EngineSendHook final : public SendHook {
public:
    // The server object the datagrams go through; null sends nothing.
    void SetServer(EngineServer* server) { m_Server = server; }

    bool SendDatagram(const char* data, size_t length, const char* address, int port) override {
        if (m_Server == nullptr || data == nullptr || address == nullptr || port <= 0) {
            return false;
        }
        return m_Server->SendGameDatagram(data, static_cast<uint32_t>(length), address, static_cast<uint32_t>(port)) ==
               ENGINE_TRUE;
    }

private:
    EngineServer* m_Server = nullptr;
};

} // namespace dravo
