// GameSession: the open game port, its players and the match played on it.
#include "GameSession.h"

#include "GameMessages.h"
#include "GameProtocol.h"

#include <utility>

namespace dravo::ref {

namespace {

constexpr const char* NOT_READY = "The server is not ready.";
constexpr const char* JOINED = " joined the game.";
constexpr const char* LEFT = " left the game.";
constexpr const char* TIMED_OUT = " timed out.";
constexpr const char* KICKED = " was kicked from the game.";

void Add(EngineEvents& events, EngineEvent::Kind kind, std::string text) {
    events.push_back(EngineEvent{kind, std::move(text), {}});
}

} // namespace

void GameSession::StartWorld(Match match, EngineEvents& events) {
    m_Match.emplace(std::move(match));
    m_Clients.ResetFrags();
    m_LevelChangeDue = false;
    m_StateChanged = false;
    Add(events, EngineEvent::Kind::GameText, StateUpdate());
}

std::string GameSession::StateUpdate() const {
    if (!m_Match) {
        return GameMessages::StateUpdate({}, {}, m_Clients);
    }
    return GameMessages::StateUpdate(m_Match->Current(), m_Match->Next(), m_Clients);
}

bool GameSession::Frame(uint64_t now, const FrameSettings& settings, EngineEvents& events, std::string& error) {
    const uint64_t elapsed = m_LastFrame && now > *m_LastFrame ? now - *m_LastFrame : 0;
    m_LastFrame = now;
    for (EngineEvent& event : m_Pending) {
        events.push_back(std::move(event));
    }
    m_Pending.clear();

    std::string datagram;
    PeerAddress from;
    for (int read = 0; read < MAX_DATAGRAMS_PER_FRAME; ++read) {
        const GameSocket::Received received = m_Socket.Receive(datagram, from, error);
        if (received == GameSocket::Received::Nothing) {
            break;
        }
        if (received == GameSocket::Received::Failed) {
            return false;
        }
        if (received == GameSocket::Received::Datagram) {
            Handle(datagram, from, now, events);
        }
    }

    for (const uint32_t id : m_Clients.Silent(now, settings.m_ClientTimeout)) {
        Drop(id, TIMED_OUT, events);
    }
    SendPings(now);
    if (m_Match) {
        if (m_Match->Play(m_Clients, elapsed, settings.m_FragsPerMinute) > 0) {
            m_StateChanged = true;
        }
        if (m_Match->LevelOver(m_Clients)) {
            m_LevelChangeDue = true;
        }
    }
    if (m_StateChanged) {
        m_StateChanged = false;
        Add(events, EngineEvent::Kind::GameText, StateUpdate());
    }
    return true;
}

void GameSession::Handle(std::string_view datagram, const PeerAddress& from, uint64_t now, EngineEvents& events) {
    if (GameProtocol::IsForeign(datagram)) {
        events.push_back(EngineEvent{EngineEvent::Kind::ForeignDatagram, std::string(datagram), from});
        return;
    }
    const std::optional<GameProtocol::Message> message = GameProtocol::Parse(datagram);
    if (!message) {
        return;
    }
    if (message->m_Verb == GameProtocol::Verb::Join) {
        Join(message->m_Text, from, now, events);
        return;
    }
    Client* client = m_Clients.FindByPeer(from);
    if (client == nullptr) {
        return;
    }
    switch (message->m_Verb) {
    case GameProtocol::Verb::Alive:
        client->m_LastHeard = now;
        break;
    case GameProtocol::Verb::Pong:
        client->m_LastHeard = now;
        m_Clients.TakePong(*client, message->m_Number, now);
        break;
    case GameProtocol::Verb::Leave:
        Drop(client->m_Id, LEFT, events);
        break;
    default:
        break; // what a server sends means nothing coming from a player
    }
}

void GameSession::Join(const std::string& name, const PeerAddress& from, uint64_t now, EngineEvents& events) {
    if (Client* known = m_Clients.FindByPeer(from)) {
        known->m_LastHeard = now; // its welcome was lost: say it again
        Reply(GameProtocol::Verb::Welcome, from, known->m_Id);
        return;
    }
    if (!m_Match) {
        Reply(GameProtocol::Verb::Refused, from, 0, NOT_READY);
        return;
    }
    if (m_Clients.Full()) {
        Reply(GameProtocol::Verb::Full, from);
        return;
    }
    // Brackets would end or fake a field of the game messages that carry the name.
    const Client* client = m_Clients.Add(GameMessages::FieldValue(name), from, now);
    Reply(GameProtocol::Verb::Welcome, from, client->m_Id);
    Add(events, EngineEvent::Kind::GameText, GameMessages::ConsoleText(client->m_Name + JOINED));
    m_StateChanged = true;
}

void GameSession::Drop(uint32_t id, const char* how, EngineEvents& events) {
    if (const std::optional<Client> removed = m_Clients.Remove(id)) {
        Add(events, EngineEvent::Kind::GameText, GameMessages::ConsoleText(removed->m_Name + how));
        m_StateChanged = true;
    }
}

void GameSession::SendPings(uint64_t now) {
    for (Client& client : m_Clients.All()) {
        if (now < client.m_NextPing) {
            continue;
        }
        if (++m_PingSequence == 0) {
            m_PingSequence = 1;
        }
        client.m_PingSequence = m_PingSequence;
        client.m_PingSent = now;
        client.m_NextPing = now + PING_INTERVAL_US;
        Reply(GameProtocol::Verb::Ping, client.m_Peer, m_PingSequence);
    }
}

void GameSession::Reply(GameProtocol::Verb verb, const PeerAddress& to, uint32_t number, std::string text) {
    // A reply that cannot be sent is lost like any datagram; the player asks again.
    (void)m_Socket.Send(GameProtocol::Compose(GameProtocol::Message{verb, std::move(text), number}), to);
}

void GameSession::ChangeLevel(EngineEvents& events) {
    m_LevelChangeDue = false;
    if (!m_Match) {
        Add(events, EngineEvent::Kind::GameText, GameMessages::LevelChanged({}, {}));
        return;
    }
    m_Match->ChangeLevel(m_Clients);
    m_StateChanged = false;
    Add(events, EngineEvent::Kind::GameText, GameMessages::LevelChanged(m_Match->Current(), m_Match->Next()));
    Add(events, EngineEvent::Kind::GameText, StateUpdate());
}

bool GameSession::RequestLevel(const std::string& level) {
    if (!m_Match || !m_Match->ChooseNext(level)) {
        return false;
    }
    m_LevelChangeDue = true;
    return true;
}

void GameSession::Say(std::string_view text) {
    constexpr size_t PREFIX = std::string_view("DRAVO SAY ").size();
    std::string words(text.substr(0, GameProtocol::MAX_DATAGRAM - PREFIX));
    for (char& c : words) {
        c = c >= 0x20 && c <= 0x7E ? c : '?';
    }
    for (const Client& client : m_Clients.All()) {
        Reply(GameProtocol::Verb::Say, client.m_Peer, 0, words);
    }
}

bool GameSession::Disconnect(uint32_t id) {
    const Client* client = m_Clients.FindById(id);
    if (client == nullptr) {
        return false;
    }
    Reply(GameProtocol::Verb::Kicked, client->m_Peer);
    Drop(id, KICKED, m_Pending);
    return true;
}

bool GameSession::AddFrags(const std::string& name, int32_t frags) {
    Client* client = m_Clients.FindByName(name);
    if (client == nullptr) {
        return false;
    }
    client->m_Frags += frags;
    m_StateChanged = true;
    return true;
}

} // namespace dravo::ref
