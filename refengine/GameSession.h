// GameSession: the open game port, its players and the match played on it.
//
// The server object owns one session from OpenGameSession on and calls it
// under its own mutex. The session never calls the front end: what it has to
// tell (game messages, console lines, foreign datagrams) it appends to an
// event list that the server object hands on once it has let go of its
// mutex. The wire protocol is GameProtocol's.
#pragma once

#include "ClientTable.h"
#include "GameProtocol.h"
#include "GameSocket.h"
#include "Match.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dravo::ref {

struct EngineEvent {
    enum class Kind { GameText, ConsoleLine, ForeignDatagram };
    Kind m_Kind;
    std::string m_Text; // the message, the line or the datagram's bytes
    PeerAddress m_From; // sender of a foreign datagram
};
using EngineEvents = std::vector<EngineEvent>;

class GameSession {
public:
    // Datagrams read in one frame at most; the rest wait for the next frame.
    static constexpr int MAX_DATAGRAMS_PER_FRAME = 256;
    static constexpr uint64_t PING_INTERVAL_US = 1000000;

    struct FrameSettings {
        double m_FragsPerMinute = 4.0;       // per player; 0 stops the simulated frags
        uint64_t m_ClientTimeout = 10000000; // microseconds of silence before a client is dropped
    };

    GameSession(GameSocket socket, uint32_t maxPlayers) : m_Socket(std::move(socket)), m_Clients(maxPlayers) {}

    // Starts a world: the match replaces any earlier one and every player's frags start again at 0.
    void StartWorld(Match match, EngineEvents& events);
    bool HasWorld() const { return m_Match.has_value(); }
    const Match* CurrentMatch() const { return m_Match ? &*m_Match : nullptr; }

    // One frame at `now` (microseconds): datagrams, time-outs, keep-alives, the match. False, with `error`,
    // only when the game port itself fails.
    [[nodiscard]] bool Frame(uint64_t now, const FrameSettings& settings, EngineEvents& events, std::string& error);
    // True when the level should change now (its end rule was met or a change was asked for).
    bool LevelChangeDue() const { return m_LevelChangeDue; }
    void RequestLevelChange() { m_LevelChangeDue = m_Match.has_value(); }
    // The level of the rotation named so follows now; false when there is no world or no such level.
    [[nodiscard]] bool RequestLevel(const std::string& level);
    // Sends the operator's words to every joined player (made printable and cut to fit a datagram).
    void Say(std::string_view text);
    // Moves to the next level: "level changed" and a state update go to `events`.
    void ChangeLevel(EngineEvents& events);

    // Tells the client it was kicked and removes it; the messages about it follow with the next frame.
    [[nodiscard]] bool Disconnect(uint32_t id);
    // Adds frags to the first client of that name; false when there is none. The update follows with the next frame.
    [[nodiscard]] bool AddFrags(const std::string& name, int32_t frags);

    const ClientTable& Clients() const { return m_Clients; }
    const GameSocket& Socket() const { return m_Socket; }
    [[nodiscard]] bool Send(std::string_view data, const PeerAddress& to) { return m_Socket.Send(data, to); }

private:
    void Handle(std::string_view datagram, const PeerAddress& from, uint64_t now, EngineEvents& events);
    void Join(const std::string& name, const PeerAddress& from, uint64_t now, EngineEvents& events);
    void Drop(uint32_t id, const char* how, EngineEvents& events);
    void SendPings(uint64_t now);
    void Reply(GameProtocol::Verb verb, const PeerAddress& to, uint32_t number = 0, std::string text = {});
    std::string StateUpdate() const;

    GameSocket m_Socket;
    ClientTable m_Clients;
    std::optional<Match> m_Match;
    std::optional<uint64_t> m_LastFrame;
    EngineEvents m_Pending; // told between frames, handed on with the next one
    uint32_t m_PingSequence = 0;
    bool m_StateChanged = false;
    bool m_LevelChangeDue = false;
};

} // namespace dravo::ref
