// The session's life: preparing, hosting, stopping, resetting, and the console log.
#include "host/ServerSession.h"

#include "host/TaggedFields.h"
#include "ui/GameOptionCommands.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace dravo {
namespace {

std::string_view Bounded(const char* text, size_t size) {
    return {text, strnlen(text, size)};
}

// Copies text into a fixed field, cut to fit, always terminated.
template <size_t N> void CopyCut(char (&field)[N], std::string_view text) {
    const size_t length = std::min(text.size(), N - 1);
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

} // namespace

ServerSession::ServerSession(ISessionView& view, WindowSystem& windows, IClock& clock, SessionRecords records)
    : m_View(view), m_Windows(windows), m_Clock(clock), m_Records(records) {
    ResetSession();
}

ServerSession::~ServerSession() {
    StopHosting();
    EndSession();
}

bool ServerSession::InitSession(EngineServer* server) {
    m_LockCreated = true;
    LogLine("Initializing the server...");
    m_Server = server;
    if (m_Server == nullptr) {
        return false;
    }
    m_Attached = true;
    m_Server->AttachHandler(this);
    LoadBans();
    LogLine("Server initialized.");
    return true;
}

void ServerSession::LoadBans() {
    if (!m_BanList.LoadBanList(BAN_LIST_FILE)) {
        LogLine("Banning system aborted...");
        return;
    }
    LogLine("Banned player list scanned...");
    m_KickQueue.ClearKicks();
    m_KickQueue.SetServer(m_Server);
    LogLine("Banning queue initialized...");
}

bool ServerSession::StartHosting() {
    if (m_Server == nullptr) {
        return false;
    }
    m_Server->ExecuteCommand("debuglevel 0");
    (void)ApplyGameOptions(m_Server, &m_Records.m_GameOptions);
    ReadTuningVariables(*m_Server, m_Tuning);
    if (m_Tuning.m_EmptyExit) {
        m_Records.m_EmptyExitEnabled = true;
    }

    WaitCursor busy(m_Windows);
    if (!OpenGame() || !StartWorld()) {
        StopHosting();
        return false;
    }
    ShowHostAddress();
    m_Server->PostToGame("GAMEINIT");
    m_Server->PostToGame("DRAVOSERV");

    const uint32_t now = m_Clock.NowMs();
    m_SessionStart = now;
    m_LevelStart = now;
    {
        std::scoped_lock lock(m_WorkerEndMutex);
        m_WorkerDone = false;
    }
    m_FirstStep = true;
    m_Running = true;
    StartPresence();
    if (m_WorkerEnabled) {
        m_Worker = std::thread([this] { WorkerThread(); });
    }
    LogLine("Server is running.");
    return true;
}

bool ServerSession::OpenGame() {
    const HostInfo& host = m_Records.m_HostInfo;
    const GameInfo& game = m_Records.m_GameInfo;
    std::string info;
    (void)AppendField(info, "NAME", Bounded(host.m_ServerName, sizeof host.m_ServerName));
    (void)AppendField(info, "HOST", "DravoServ");
    (void)AppendField(info, "LEVL", Bounded(game.m_LevelNames[0], LEVEL_NAME_SIZE));
    (void)AppendFieldInt(info, "TYPE", game.m_GameType);

    OpenGameSessionRequest request{};
    request.m_GamePort = m_Records.m_GamePort;
    request.m_MaxPlayers = static_cast<uint32_t>(host.m_MaxPlayers);
    CopyCut(request.m_SessionInfo, info);
    if (m_Server->OpenGameSession(&request) != ENGINE_TRUE) {
        LogLine("ERROR - Unable to host the game.");
        return false;
    }
    return true;
}

bool ServerSession::StartWorld() {
    const GameInfo& game = m_Records.m_GameInfo;
    const std::string_view world = Bounded(game.m_LevelNames[0], LEVEL_NAME_SIZE);
    LoadWorldRequest request{};
    // A name that does not fit the request would start another world: refuse it instead.
    const bool fits = world.size() < sizeof request.m_WorldName;
    if (fits) {
        CopyCut(request.m_WorldName, world);
        request.m_GameInfo = &game;
        request.m_GameInfoSize = GAME_INFO_SIZE;
    }
    if (!fits || m_Server->LoadWorld(&request) != ENGINE_TRUE) {
        LogLine("ERROR - Unable to start world: %.*s", static_cast<int>(world.size()), world.data());
        return false;
    }
    return true;
}

void ServerSession::ShowHostAddress() {
    HostInfo& host = m_Records.m_HostInfo;
    host.m_HostAddress[0] = '\0';
    uint16_t port = 0;
    m_Server->QueryHostAddress(host.m_HostAddress, sizeof host.m_HostAddress, &port);
    m_HostPort = port;
    host.m_HostAddress[sizeof host.m_HostAddress - 1] = '\0';

    std::string line(Bounded(host.m_ServiceName, sizeof host.m_ServiceName));
    m_HostAddressText.clear();
    if (host.m_HostAddress[0] != '\0') {
        line += ' ';
        m_HostAddressText = host.m_HostAddress;
        if (port != 0 && port != DEFAULT_GAME_PORT) {
            m_HostAddressText += ":" + std::to_string(port);
        }
        line += "[" + m_HostAddressText + "]";
    }
    m_View.ShowNetService(std::move(line));
}

bool ServerSession::StopHosting() {
    if (m_Running) {
        (void)m_Registrar.Unregister();
    }
    m_Running = false;
    StopWorker();
    // After the worker: a step in progress finishes its answers first.
    StopReporting();
    return true;
}

void ServerSession::ResetSession() {
    m_Server = nullptr;
    m_Running = false;
    m_LevelChange = false;
    m_SessionStart = 0;
    m_LevelStart = 0;
    m_LockCreated = false;
    m_Attached = false;
    std::scoped_lock lock(m_UpdateLock);
    m_Players.Reset();
    m_CurrentLevel.clear();
    m_CountdownArmed = false;
    m_CountdownRemaining = 0;
}

void ServerSession::EndSession() {
    m_LockCreated = false;
    ResetSession();
    m_Clock.SleepMs(2);
}

void ServerSession::RefreshSpyLabels() {
    if (m_Server == nullptr) {
        return;
    }
    std::scoped_lock lock(m_UpdateLock);
    ReadSpyLabels(*m_Server, m_Tuning);
}

void ServerSession::SetCurrentLevel(std::string_view level) {
    std::scoped_lock lock(m_UpdateLock);
    m_CurrentLevel = level;
}

void ServerSession::LogLine(const char* format, ...) {
    char text[LOG_LINE_SIZE];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    LogText(text);
}

void ServerSession::LogText(std::string_view text) {
    // A line fits the 500-byte buffer: longer text is cut, never overflowed.
    text = text.substr(0, std::min(text.size(), LOG_LINE_SIZE - 1));
    text = text.substr(0, std::min(text.size(), text.find('\0')));
    if (text.empty()) {
        return;
    }
    if (static_cast<unsigned char>(text.back()) < 32) {
        text.remove_suffix(1); // one trailing line feed (or other control character) only
    }
    m_View.AppendLogLine(std::string(text));
}

int32_t ServerSession::OnGameText(const char* text) {
    if (m_Attached) {
        HandleGameMessage(text);
    }
    return 0;
}

int32_t ServerSession::OnConsoleLine(const char* text) {
    if (m_Attached && text != nullptr) {
        LogText(text);
    }
    return 0;
}

int32_t ServerSession::OnMemoryExhausted() {
    if (m_Attached) {
        // The window thread shows the message and shuts down; this thread waits for nothing.
        m_ExitWithoutAsking = true;
        m_View.MemoryExhausted();
    }
    return 0;
}

} // namespace dravo
