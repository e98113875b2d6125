// The session's operations for the consoles: the engine's commands, Next Level, Boot, and what the
// console window's fields show.
#include "host/session/ServerSession.h"

#include "host/console/LogCapture.h"
#include "platform/os/Text.h"

#include <algorithm>
#include <cstdio>

namespace dravo {

std::string FormatRunningTime(uint32_t milliseconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%i:%02i:%02i", static_cast<int>(milliseconds / 3600000),
                  static_cast<int>(milliseconds % 3600000 / 60000), static_cast<int>(milliseconds % 60000 / 1000));
    return text;
}

std::string FormatLevelGoal(const GameInfo& game) {
    char text[64];
    switch (game.m_EndType) {
    case END_AFTER_FRAGS:
        std::snprintf(text, sizeof text, "%i Frags", game.m_EndFrags);
        break;
    case END_AFTER_TIME:
        std::snprintf(text, sizeof text, "%i Minutes", game.m_EndTime);
        break;
    case END_AFTER_FRAGS_OR_TIME:
        std::snprintf(text, sizeof text, "%i Frags or %i Minutes", game.m_EndFrags, game.m_EndTime);
        break;
    default:
        return "None. Level never ends";
    }
    return text;
}

std::vector<std::string> ServerSession::QueryEngine(const char* command) {
    EngineServer* server = m_Server;
    if (server == nullptr || !m_Attached) {
        return {};
    }
    LogCapture answer(m_Log, MAX_QUERY_BYTES, LogCapture::Mode::Silent);
    server->ExecuteCommand(command);
    EndStrayLevelChange();
    return answer.TakeLines();
}

bool ServerSession::RunEngineCommand(std::string_view command) {
    EngineServer* server = m_Server;
    if (server == nullptr) {
        LogLine("The game is not hosted: no console command can run.");
        return false;
    }
    m_Counters.CountConsoleCommand();
    const std::string text(command);
    server->ExecuteCommand(text.c_str());
    EndStrayLevelChange();
    RefreshSpyLabels();
    return true;
}

bool ServerSession::NextLevel() {
    EngineServer* server = m_Server;
    if (server == nullptr) {
        return false;
    }
    m_Messages.NoteNextLevelAsked();
    const bool posted = server->PostToGame("NEXTLEVEL") == ENGINE_STATUS_OK;
    EndStrayLevelChange();
    return posted;
}

bool ServerSession::Boot(uint32_t clientId, std::string_view reason, std::string_view origin) {
    EngineServer* server = m_Server;
    if (server == nullptr) {
        return false;
    }
    std::string name;
    for (const RosterPlayer& player : m_Facts.Roster()) {
        if (player.m_Id == clientId) {
            name = player.m_Name;
        }
    }
    server->DisconnectClient(clientId);
    m_Log.Event(LogEvent{
        std::string(event_name::PLAYER_KICKED), EventLevel::Notice,
        (name.empty() ? "Client " + std::to_string(clientId) : name) + " was kicked.",
        EventFieldList().Number("id", clientId).Text("name", name).Text("reason", reason).Text("origin", origin).Take(),
        false});
    m_Counters.CountOperatorKick();
    EndStrayLevelChange();
    return true;
}

bool ServerSession::Say(std::string_view text) {
    return PostOperatorText("SAY ", text);
}

bool ServerSession::GoToLevel(std::string_view level) {
    if (m_Server.load() == nullptr) {
        return false;
    }
    m_Messages.NoteNextLevelAsked();
    return PostOperatorText("LEVEL ", level);
}

bool ServerSession::PostOperatorText(std::string_view verb, std::string_view text) {
    EngineServer* server = m_Server;
    if (server == nullptr) {
        LogLine("The game is not hosted: nothing was sent.");
        return false;
    }
    const std::string posted = std::string(verb) + std::string(text);
    const bool taken = server->PostToGame(posted.c_str()) == ENGINE_STATUS_OK;
    EndStrayLevelChange();
    return taken;
}

void ServerSession::MarkNotHosting(std::string_view why) {
    m_Display.ShowNetService(std::string(NOT_HOSTING_TEXT));
    m_Display.ShowCurrentLevel("(none)");
    m_Display.ShowNextLevel("");
    LogLine("The game is not hosted (%.*s): see the lines above. Shut down, correct the cause, and start again.",
            static_cast<int>(why.size()), why.data());
}

SessionStatus ServerSession::Status() const {
    SessionStatus status;
    const HostInfo& host = m_Records.m_HostInfo;
    status.m_ServerName = BoundedText(host.m_ServerName, sizeof host.m_ServerName);
    const DisplayedTexts shown = m_Display.Shown();
    status.m_NetService = shown.m_NetService.empty()
                              ? std::string(BoundedText(host.m_ServiceName, sizeof host.m_ServiceName))
                              : shown.m_NetService;
    status.m_CurrentLevel = shown.m_CurrentLevel;
    status.m_NextLevel = shown.m_NextLevel;
    status.m_Players = static_cast<int32_t>(m_Facts.Roster().size());
    status.m_LevelGoal = FormatLevelGoal(m_Records.m_GameInfo);
    if (m_Running) {
        const uint32_t now = m_Clock.NowMs();
        status.m_RunningMs = now - m_SessionStart;
        status.m_InLevelMs = now - m_Messages.LevelStartMs();
    }
    return status;
}

} // namespace dravo
