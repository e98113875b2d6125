// ClientTable: the players joined to the game session, in the order they joined.
//
// A client is known by its IPv4 address and port. Ids are unique among the
// clients present, never 0, and not given again soon after a client leaves
// (they count up and wrap). Times are microseconds of the engine's clock.
// No lock of its own: the server object guards it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dravo::ref {

struct PeerAddress {
    uint32_t m_Address = 0; // IPv4 address in host byte order
    uint16_t m_Port = 0;    // host byte order

    friend bool operator==(const PeerAddress&, const PeerAddress&) = default;
};

struct Client {
    uint32_t m_Id = 0;
    std::string m_Name;
    PeerAddress m_Peer;
    int32_t m_Frags = 0;
    uint64_t m_LastHeard = 0;    // when the client last sent a valid message
    float m_PingSeconds = 0.0f;  // smoothed round trip; 0 until the first PONG
    bool m_HasPing = false;      // a round trip has been measured
    uint32_t m_PingSequence = 0; // the PING waiting for its PONG, 0 when none
    uint64_t m_PingSent = 0;     // when that PING was sent
    uint64_t m_NextPing = 0;     // when the next PING is due
};

class ClientTable {
public:
    explicit ClientTable(uint32_t capacity) : m_Capacity(capacity) {}

    uint32_t Capacity() const { return m_Capacity; }
    size_t Count() const { return m_Clients.size(); }
    bool Full() const { return m_Clients.size() >= m_Capacity; }

    // Adds a client; nothing when the table is full.
    Client* Add(std::string name, PeerAddress peer, uint64_t now);
    // Removes the client with this id; the removed client, or nothing when there is none.
    std::optional<Client> Remove(uint32_t id);

    Client* FindByPeer(const PeerAddress& peer);
    Client* FindById(uint32_t id);
    Client* FindByName(const std::string& name);
    const Client* At(size_t index) const { return index < m_Clients.size() ? &m_Clients[index] : nullptr; }
    std::vector<Client>& All() { return m_Clients; }
    const std::vector<Client>& All() const { return m_Clients; }

    // Takes a PONG: the round trip counts when it answers the PING still waiting.
    void TakePong(Client& client, uint32_t sequence, uint64_t now);
    // The ids of clients silent for longer than `timeout`.
    std::vector<uint32_t> Silent(uint64_t now, uint64_t timeout) const;
    void ResetFrags();

private:
    uint32_t NextFreeId();

    uint32_t m_Capacity;
    uint32_t m_LastId = 0;
    std::vector<Client> m_Clients;
};

} // namespace dravo::ref
