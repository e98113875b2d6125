// ClientTable: the players joined to the game session, in the order they joined.
#include "ClientTable.h"

#include <algorithm>

namespace dravo::ref {

namespace {

// Weight of a new round trip in the smoothed ping.
constexpr float PING_SMOOTHING = 0.25f;

} // namespace

uint32_t ClientTable::NextFreeId() {
    // At most Capacity() ids are in use, so a free one turns up within Capacity() + 1 steps.
    for (;;) {
        ++m_LastId;
        if (m_LastId != 0 && FindById(m_LastId) == nullptr) {
            return m_LastId;
        }
    }
}

Client* ClientTable::Add(std::string name, PeerAddress peer, uint64_t now) {
    if (Full()) {
        return nullptr;
    }
    Client client;
    client.m_Id = NextFreeId();
    client.m_Name = std::move(name);
    client.m_Peer = peer;
    client.m_LastHeard = now;
    client.m_NextPing = now;
    m_Clients.push_back(std::move(client));
    return &m_Clients.back();
}

std::optional<Client> ClientTable::Remove(uint32_t id) {
    const auto found = std::find_if(m_Clients.begin(), m_Clients.end(), [id](const Client& c) { return c.m_Id == id; });
    if (found == m_Clients.end()) {
        return std::nullopt;
    }
    Client removed = std::move(*found);
    m_Clients.erase(found);
    return removed;
}

Client* ClientTable::FindByPeer(const PeerAddress& peer) {
    for (Client& client : m_Clients) {
        if (client.m_Peer == peer) {
            return &client;
        }
    }
    return nullptr;
}

Client* ClientTable::FindById(uint32_t id) {
    for (Client& client : m_Clients) {
        if (client.m_Id == id) {
            return &client;
        }
    }
    return nullptr;
}

Client* ClientTable::FindByName(const std::string& name) {
    for (Client& client : m_Clients) {
        if (client.m_Name == name) {
            return &client;
        }
    }
    return nullptr;
}

void ClientTable::TakePong(Client& client, uint32_t sequence, uint64_t now) {
    if (client.m_PingSequence == 0 || sequence != client.m_PingSequence || now < client.m_PingSent) {
        return;
    }
    const float roundTrip = static_cast<float>(now - client.m_PingSent) / 1e6f;
    client.m_PingSeconds =
        client.m_HasPing ? client.m_PingSeconds + PING_SMOOTHING * (roundTrip - client.m_PingSeconds) : roundTrip;
    client.m_HasPing = true;
    client.m_PingSequence = 0;
}

std::vector<uint32_t> ClientTable::Silent(uint64_t now, uint64_t timeout) const {
    std::vector<uint32_t> ids;
    for (const Client& client : m_Clients) {
        if (now > client.m_LastHeard && now - client.m_LastHeard > timeout) {
            ids.push_back(client.m_Id);
        }
    }
    return ids;
}

void ClientTable::ResetFrags() {
    for (Client& client : m_Clients) {
        client.m_Frags = 0;
    }
}

} // namespace dravo::ref
