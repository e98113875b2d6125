// The session's internet presence: GameSpy reporting and web registration, started,
// driven and stopped with the hosted game, and the game-port road of queries.
#include "host/ServerSession.h"

#include "net/PresenceVariables.h"

#include <algorithm>
#include <climits>
#include <cstdio>

namespace dravo {
namespace {

inline constexpr const char* GAME_NAME = "dravo";
inline constexpr const char* GAME_VERSION = "dravo 2.1";
inline constexpr const char* SECRET_KEY = "TbWqXe";
constexpr int MASTER_INDEX = 0;
// Heartbeats name the game port, where the engine answers queries too.
constexpr uint32_t REPORTER_FLAGS = QueryReporter::FLAG_HEARTBEAT_HOST_PORT;
constexpr char QUERY_START = '\\';

} // namespace

void ServerSession::StartPresence() {
    const PresenceVariables presence = ReadPresenceVariables(*m_Server, DEFAULT_REGISTRATION_URL);
    m_Registrar.Configure(presence.m_RegistrationUrl, m_Tuning.m_WebRegPeriodSeconds);
    HostInfo& host = m_Records.m_HostInfo;
    if (host.m_GameSpy == 0) {
        return;
    }
    std::scoped_lock lock(m_UpdateLock);
    m_Reporter.SetOptions(presence.m_Reporter);
    if (!m_Reporter.Initialize(GAME_NAME, GAME_VERSION, SECRET_KEY, MASTER_INDEX, m_HostPort, presence.m_QueryPort,
                               REPORTER_FLAGS)) {
        host.m_GameSpy = 0; // reporting stays off for the rest of the run
        return;
    }
    m_SendHook.SetServer(m_Server);
    m_Reporter.SetSendHook(&m_SendHook);
}

void ServerSession::TickPresence(uint32_t delta) {
    if (m_Server != nullptr && m_Records.m_HostInfo.m_GameSpy != 0) {
        (void)m_Reporter.Process();
    }
    (void)m_Registrar.RegistrationTick(delta, m_Server);
}

void ServerSession::StopReporting() {
    std::scoped_lock lock(m_UpdateLock);
    m_Reporter.Shutdown();
    m_SendHook.SetServer(nullptr);
}

int32_t ServerSession::OnForeignDatagram(const void* data, uint32_t length, const uint8_t address[4], uint16_t port) {
    if (!m_Attached || m_Records.m_HostInfo.m_GameSpy == 0 || data == nullptr || length == 0 || address == nullptr) {
        return 0;
    }
    const char* text = static_cast<const char*>(data);
    if (text[0] != QUERY_START) {
        return 0;
    }
    char sender[16];
    std::snprintf(sender, sizeof sender, "%d.%d.%d.%d", address[0], address[1], address[2], address[3]);
    // The engine may call from any thread; answers are built under the lock the worker's Process runs under.
    std::scoped_lock lock(m_UpdateLock);
    (void)m_Reporter.HandleExternalQuery(sender, port, text, static_cast<int>(std::min<uint32_t>(length, INT_MAX)));
    return 0;
}

} // namespace dravo
