// EngineSendHook: sends the query reporter's datagrams from the engine's game port.
#pragma once

#include "engine/EngineServer.h"
#include "net/query/SendHook.h"

namespace dravo {

class EngineSendHook final : public SendHook {
public:
    // The server object the datagrams go through; null sends nothing.
    void SetServer(EngineServer* server) { m_Server = server; }

    // The engine takes the destination as text: the one place an answer's address is written out.
    bool SendDatagram(const char* data, size_t length, const NetPeer& to) override {
        if (m_Server == nullptr || data == nullptr || to.m_Port == 0) {
            return false;
        }
        char address[ADDRESS_TEXT_SIZE];
        FormatAddress(to.m_Address, address, sizeof address);
        return m_Server->SendGameDatagram(data, static_cast<uint32_t>(length), address, to.m_Port) == ENGINE_TRUE;
    }

private:
    EngineServer* m_Server = nullptr;
};

} // namespace dravo
