// BotPlayer: one simulated player with its own UDP socket, connected to the game port.
//
// Joining: JOIN is sent every second until WELCOME (or FULL / REFUSED, after
// which it waits RETRY before trying again). Joined: every PING is answered
// with PONG and ALIVE goes out every two seconds. With churn the player stays
// a random 0.5 to 1.5 churn periods, leaves, and joins again after 0.25 to
// 0.75 periods. A kicked player stays out unless churn brings it back.
// Times are milliseconds of a steady clock.
#pragma once

#include "GameSocket.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <string>

namespace dravo::bot {

class BotPlayer {
public:
    using Report = std::function<void(const std::string& line)>;

    BotPlayer(std::string name, double churnSeconds, uint32_t seed, Report report);
    BotPlayer(BotPlayer&& other) noexcept;
    BotPlayer(const BotPlayer&) = delete;
    BotPlayer& operator=(const BotPlayer&) = delete;
    BotPlayer& operator=(BotPlayer&&) = delete;
    ~BotPlayer();

    // Opens the socket for the server (address and port in host byte order).
    [[nodiscard]] bool Open(uint32_t address, uint16_t port, std::string& error);
    // For waiting on it; null before Open.
    const ref::GameSocket* Socket() const { return m_Socket ? &*m_Socket : nullptr; }

    // Reads what the server sent.
    void Receive(uint64_t now);
    // Does what is due at `now`; the time of its next deadline.
    uint64_t Tick(uint64_t now);
    // Leaves the game if it is in it.
    void Leave();

private:
    enum class State { Joining, Joined, Away, Out };

    void Send(const std::string& datagram);
    uint64_t Between(double lowSeconds, double highSeconds);

    std::string m_Name;
    double m_ChurnSeconds;
    std::mt19937 m_Random;
    Report m_Report;
    std::optional<ref::GameSocket> m_Socket;
    ref::PeerAddress m_Server; // only its datagrams are read
    State m_State = State::Joining;
    uint32_t m_Id = 0;
    uint64_t m_NextSend = 0;  // next JOIN or ALIVE
    uint64_t m_StateEnds = 0; // Joined with churn: when to leave; Away: when to join again
    uint64_t m_LastFromServer = 0;
};

} // namespace dravo::bot
