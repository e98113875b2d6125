// Starting, driving and stopping the internet presence, and the game-port road of queries.
#include "host/session/InternetPresence.h"

#include "net/query/A2sPacket.h"
#include "net/query/PresenceVariables.h"
#include "platform/net/UdpSocket.h"

#include <mutex>

namespace dravo {
namespace {

inline constexpr const char* GAME_NAME = "dravo";
inline constexpr const char* GAME_VERSION = "dravo " DRAVO_VERSION_TEXT;
inline constexpr const char* SECRET_KEY = "TbWqXe";
constexpr int MASTER_INDEX = 0;
// Heartbeats name the game port, where the engine answers queries too.
constexpr uint32_t REPORTER_FLAGS = QueryReporter::FLAG_HEARTBEAT_HOST_PORT;
constexpr char QUERY_START = '\\';
// The stop never waits longer than it promised: a request that will not end is left to end by itself.
inline constexpr const char* REGISTRATION_LEFT_BEHIND =
    "ERROR - The web registration requests did not end in time; they were left to end by themselves.";

} // namespace

void InternetPresence::Start(EngineServer& server, uint16_t hostPort, const TuningVariables& tuning) {
    VariableReader reader(server);
    const PresenceVariables presence = ReadPresenceVariables(reader, DEFAULT_REGISTRATION_URL);
    for (const std::string& problem : reader.TakeProblems()) {
        m_Log.Text(problem);
    }
    m_Registrar.Configure(presence.m_RegistrationUrl, tuning.m_WebRegPeriodSeconds);
    m_Advertised.SetByOperator(presence.m_Advertised);
    if (m_Host.m_GameSpy == 0) {
        return;
    }
    std::scoped_lock lock(m_Lock);
    SetLabels(tuning);
    m_Reporter.SetOptions(presence.m_Reporter);
    m_Reporter.SetLogger([this](std::string_view line) { m_Log.Text(line); });
    m_Reporter.SetOwnAddress(UdpSocket::ParseAddress(m_Host.m_HostAddress).value_or(0));
    if (!m_Reporter.Initialize(GAME_NAME, GAME_VERSION, SECRET_KEY, MASTER_INDEX, hostPort, presence.m_QueryPort,
                               REPORTER_FLAGS)) {
        m_Host.m_GameSpy = 0; // reporting stays off for the rest of the run
        return;
    }
    m_SendHook.SetServer(&server);
    m_Reporter.SetSendHook(&m_SendHook);
}

void InternetPresence::Tick(EngineServer* server, uint32_t deltaMs) {
    if (server != nullptr && m_Host.m_GameSpy != 0) {
        (void)m_Reporter.Process();
    }
    (void)m_Registrar.RegistrationTick(deltaMs, server);
}

void InternetPresence::Unregister() {
    if (m_Registrar.Unregister().m_LeftBehind) {
        m_Log.Text(REGISTRATION_LEFT_BEHIND);
    }
}

void InternetPresence::UnregisterBriefly() {
    if (m_Registrar.UnregisterBriefly().m_LeftBehind) {
        m_Log.Text(REGISTRATION_LEFT_BEHIND);
    }
}

void InternetPresence::StopReporting() {
    std::scoped_lock lock(m_Lock);
    m_Reporter.Shutdown();
    m_SendHook.SetServer(nullptr);
}

void InternetPresence::AnswerGamePortQuery(const void* data, uint32_t length, const uint8_t address[4], uint16_t port) {
    if (m_Host.m_GameSpy == 0 || data == nullptr || length == 0 || address == nullptr) {
        return;
    }
    const char* text = static_cast<const char*>(data);
    // GameSpy text, or an A2S request (FF FF FF FF ...); the engine keeps everything else.
    if (text[0] != QUERY_START && !a2s::IsA2sDatagram(std::string_view(text, length))) {
        return;
    }
    const NetPeer sender{
        uint32_t{address[0]} << 24 | uint32_t{address[1]} << 16 | uint32_t{address[2]} << 8 | address[3], port};
    // The engine may call from any thread; answers are built under the lock the worker's Process runs under.
    std::scoped_lock lock(m_Lock);
    (void)m_Reporter.HandleExternalQuery(sender, text, length);
}

} // namespace dravo
