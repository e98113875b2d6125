// BotPlayer: one simulated player with its own UDP socket, connected to the game port.
#include "BotPlayer.h"

#include "GameProtocol.h"

#include <utility>

namespace dravo::bot {

namespace {

using ref::GameProtocol;

constexpr uint64_t JOIN_RETRY_MS = 1000;
constexpr uint64_t REFUSED_RETRY_MS = 5000;
constexpr uint64_t ALIVE_INTERVAL_MS = 2000;
// A joined player that hears nothing for this long takes the server as gone and joins again.
constexpr uint64_t SERVER_SILENCE_MS = 15000;
constexpr int MAX_READS = 64;

} // namespace

BotPlayer::BotPlayer(std::string name, double churnSeconds, uint32_t seed, Report report)
    : m_Name(std::move(name)), m_ChurnSeconds(churnSeconds), m_Random(seed), m_Report(std::move(report)) {}

BotPlayer::BotPlayer(BotPlayer&& other) noexcept
    : m_Name(std::move(other.m_Name)), m_ChurnSeconds(other.m_ChurnSeconds), m_Random(other.m_Random),
      m_Report(std::move(other.m_Report)), m_Socket(std::move(other.m_Socket)), m_Server(other.m_Server),
      m_State(other.m_State), m_Id(other.m_Id), m_NextSend(other.m_NextSend), m_StateEnds(other.m_StateEnds),
      m_LastFromServer(other.m_LastFromServer) {}

BotPlayer::~BotPlayer() = default;

bool BotPlayer::Open(uint32_t address, uint16_t port, std::string& error) {
    // Any local address and a free port; datagrams from anyone but the server are ignored.
    m_Socket = ref::GameSocket::Open(0, 0, error);
    m_Server = ref::PeerAddress{address, port};
    return m_Socket.has_value();
}

uint64_t BotPlayer::Between(double lowSeconds, double highSeconds) {
    std::uniform_real_distribution<double> seconds(lowSeconds, highSeconds);
    return static_cast<uint64_t>(seconds(m_Random) * 1000.0);
}

void BotPlayer::Send(const std::string& datagram) {
    // A refused or lost datagram is like any lost datagram: the next one follows.
    if (m_Socket) {
        (void)m_Socket->Send(datagram, m_Server);
    }
}

void BotPlayer::Receive(uint64_t now) {
    std::string datagram;
    ref::PeerAddress from;
    std::string error;
    for (int read = 0; m_Socket && read < MAX_READS; ++read) {
        const ref::GameSocket::Received received = m_Socket->Receive(datagram, from, error);
        if (received == ref::GameSocket::Received::Nothing || received == ref::GameSocket::Received::Failed) {
            return;
        }
        if (received != ref::GameSocket::Received::Datagram || from.m_Address != m_Server.m_Address ||
            from.m_Port != m_Server.m_Port) {
            continue; // dropped (an error from an earlier send, say), or not the server's
        }
        const std::optional<GameProtocol::Message> message = GameProtocol::Parse(datagram);
        if (!message) {
            continue;
        }
        m_LastFromServer = now;
        switch (message->m_Verb) {
        case GameProtocol::Verb::Welcome:
            if (m_State == State::Joining) {
                m_State = State::Joined;
                m_Id = message->m_Number;
                m_NextSend = now + ALIVE_INTERVAL_MS;
                if (m_ChurnSeconds > 0.0) {
                    m_StateEnds = now + Between(0.5 * m_ChurnSeconds, 1.5 * m_ChurnSeconds);
                }
                m_Report(m_Name + " joined with id " + std::to_string(m_Id));
            }
            break;
        case GameProtocol::Verb::Ping:
            if (m_State == State::Joined) {
                Send(GameProtocol::Compose(GameProtocol::Verb::Pong, message->m_Number));
            }
            break;
        case GameProtocol::Verb::Full:
        case GameProtocol::Verb::Refused:
            if (m_State == State::Joining) {
                m_NextSend = now + REFUSED_RETRY_MS;
                m_Report(m_Name + " refused: " +
                         (message->m_Verb == GameProtocol::Verb::Full ? std::string("server full") : message->m_Text));
            }
            break;
        case GameProtocol::Verb::Say:
            if (m_State == State::Joined) {
                m_Report(m_Name + " heard: " + message->m_Text);
            }
            break;
        case GameProtocol::Verb::Kicked:
            if (m_State == State::Joined) {
                m_Report(m_Name + " was kicked");
                m_State = m_ChurnSeconds > 0.0 ? State::Away : State::Out;
                m_StateEnds = now + Between(0.25 * m_ChurnSeconds, 0.75 * m_ChurnSeconds);
            }
            break;
        default:
            break;
        }
    }
}

uint64_t BotPlayer::Tick(uint64_t now) {
    switch (m_State) {
    case State::Joining:
        if (now >= m_NextSend) {
            Send(GameProtocol::Compose(GameProtocol::Message{GameProtocol::Verb::Join, m_Name, 0}));
            m_NextSend = now + JOIN_RETRY_MS;
        }
        return m_NextSend;
    case State::Joined:
        if (m_ChurnSeconds > 0.0 && now >= m_StateEnds) {
            Leave();
            m_State = State::Away;
            m_StateEnds = now + Between(0.25 * m_ChurnSeconds, 0.75 * m_ChurnSeconds);
            return m_StateEnds;
        }
        if (now - m_LastFromServer > SERVER_SILENCE_MS) {
            m_Report(m_Name + " lost the server");
            m_State = State::Joining;
            m_NextSend = now;
            return now;
        }
        if (now >= m_NextSend) {
            Send(GameProtocol::Compose(GameProtocol::Verb::Alive));
            m_NextSend = now + ALIVE_INTERVAL_MS;
        }
        return m_ChurnSeconds > 0.0 ? std::min(m_NextSend, m_StateEnds) : m_NextSend;
    case State::Away:
        if (now >= m_StateEnds) {
            m_State = State::Joining;
            m_NextSend = now;
            return now;
        }
        return m_StateEnds;
    case State::Out:
        break;
    }
    return UINT64_MAX;
}

void BotPlayer::Leave() {
    if (m_State != State::Joined) {
        return;
    }
    Send(GameProtocol::Compose(GameProtocol::Verb::Leave));
    m_State = State::Out;
    m_Report(m_Name + " left");
}

} // namespace dravo::bot
