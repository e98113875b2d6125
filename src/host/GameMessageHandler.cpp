// State updates, level changes and console text from the game code.
#include "host/GameMessageHandler.h"

#include "host/GameMessage.h"
#include "host/TaggedFields.h"
#include "settings/DecimalText.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <limits>
#include <mutex>

namespace dravo {
namespace {

// A client id: the leading decimal digits as an unsigned 32-bit number, 0 when there are none.
uint32_t ParseClientId(std::string_view text) {
    uint32_t id = 0;
    const size_t start = text.find_first_not_of(" \t");
    if (start != std::string_view::npos) {
        std::from_chars(text.data() + start, text.data() + text.size(), id);
    }
    return id;
}

// "<tag><number>", the tag of one player's field.
std::string PlayerTag(std::string_view tag, int32_t number) {
    return std::string(tag) + std::to_string(number);
}

} // namespace

void GameMessageHandler::Attach(EngineServer* server) {
    std::scoped_lock lock(m_Parts.m_Lock);
    m_Server = server;
}

void GameMessageHandler::Reset() {
    m_LevelChange = false;
    m_LevelStart = 0;
    std::scoped_lock lock(m_Parts.m_Lock);
    m_Server = nullptr;
    m_Players.Reset();
    m_CurrentLevel.clear();
    m_Countdown.Disarm();
}

bool GameMessageHandler::EndStrayLevelChange() {
    if (m_Parts.m_Lock.LevelChangeHolds() == 0) {
        return false;
    }
    m_Parts.m_Lock.ReleaseLevelChanges();
    m_LevelChange = false;
    return true;
}

void GameMessageHandler::SetCurrentLevel(std::string_view level) {
    std::scoped_lock lock(m_Parts.m_Lock);
    m_CurrentLevel = level;
}

void GameMessageHandler::Handle(const char* text) {
    if (text == nullptr) {
        return;
    }
    const std::string_view message(text);
    const auto kind = FindField(message, game_tag::KIND);
    if (!kind) {
        return;
    }
    switch (static_cast<GameMessageKind>(ParseDecimalInt(*kind))) {
    case GameMessageKind::StateUpdate:
        HandleStateUpdate(message);
        break;
    case GameMessageKind::LevelChanged:
        HandleLevelChanged(message);
        break;
    case GameMessageKind::ConsoleText:
        if (const auto line = FindField(message, game_tag::CONSOLE_TEXT)) {
            m_Parts.m_Log.Text(*line);
        }
        break;
    case GameMessageKind::LevelChangeBegins:
        m_LevelChange = true;
        m_Parts.m_Lock.BeginLevelChange();
        break;
    case GameMessageKind::LevelChangeEnds:
        m_LevelChange = false;
        (void)m_Parts.m_Lock.EndLevelChange();
        break;
    default:
        break;
    }
}

void GameMessageHandler::HandleLevelChanged(std::string_view message) {
    m_LevelChange = false;
    (void)m_Parts.m_Lock.EndLevelChange();
    if (const auto current = FindField(message, game_tag::CURRENT_LEVEL)) {
        m_Parts.m_View.ShowCurrentLevel(*current);
        SetCurrentLevel(*current);
        if (m_Parts.m_Counters != nullptr) {
            m_Parts.m_Counters->LevelChanged(*current);
        }
    }
    if (const auto next = FindField(message, game_tag::NEXT_LEVEL)) {
        m_Parts.m_View.ShowNextLevel(*next);
    }
    m_LevelStart = m_Parts.m_Clock.NowMs();
}

void GameMessageHandler::HandleStateUpdate(std::string_view message) {
    // The table and the countdown are shared with the worker's step.
    std::scoped_lock lock(m_Parts.m_Lock);
    if (const auto current = FindField(message, game_tag::CURRENT_LEVEL)) {
        m_Parts.m_View.ShowCurrentLevel(*current);
    }
    if (const auto next = FindField(message, game_tag::NEXT_LEVEL)) {
        m_Parts.m_View.ShowNextLevel(*next);
    }

    const int32_t listed = FindFieldInt(message, game_tag::PLAYER_COUNT).value_or(0);
    const int32_t count = std::clamp<int32_t>(listed, 0, static_cast<int32_t>(MAX_PLAYER_ENTRIES));
    for (int32_t n = 1; n <= count; ++n) {
        PlayerEntry& entry = m_Players.Entry(static_cast<size_t>(n - 1));
        if (const auto name = FindField(message, PlayerTag(game_tag::PLAYER_NAME, n), PLAYER_NAME_CHARS)) {
            entry.SetName(*name);
            bool idFromMessage = false;
            if (const auto frags = FindField(message, PlayerTag(game_tag::PLAYER_FRAGS, n))) {
                entry.m_Frags = ParseDecimalInt(*frags);
                const auto id = FindField(message, PlayerTag(game_tag::PLAYER_ID, n));
                entry.m_ClientId = id ? ParseClientId(*id) : 0;
                idFromMessage = id.has_value();
            }
            // An id kept from an earlier update may belong to another player by now: only this
            // message's id is booted.
            if (idFromMessage) {
                QueueIfBanned(entry);
            }
        }
        entry.m_Ping = PingOf(entry.m_ClientId);
    }

    const int32_t previous = m_Players.Count();
    m_Players.SetCount(count);
    m_Players.Sort();
    UpdateCountdown(previous, count);
    if (m_Parts.m_Counters != nullptr) {
        m_Parts.m_Counters->SetPlayers(count);
    }
    m_Parts.m_View.ShowPlayers(Snapshot());
}

void GameMessageHandler::QueueIfBanned(const PlayerEntry& entry) {
    const std::string name(entry.Name());
    if (m_Parts.m_Bans.IsBanned(name) && !m_Parts.m_Kicks.IsQueued(name)) {
        m_Parts.m_Log.Line("Added %s to kick queue...", name.c_str());
        (void)m_Parts.m_Kicks.QueueKick(name, entry.m_ClientId);
    }
}

void GameMessageHandler::UpdateCountdown(int32_t previous, int32_t count) {
    if (!m_Parts.m_EmptyExitEnabled) {
        return;
    }
    if (previous > 0 && count == 0) {
        const uint32_t delay = m_Parts.m_Tuning.m_EmptyExitDelaySeconds;
        m_Parts.m_Log.Line("Last player has left the game, shutting down in %i seconds if no new players join...",
                           static_cast<int>(delay));
        m_Countdown.Arm(delay * 1000);
    } else if (count >= 1) {
        m_Countdown.Disarm();
    }
}

PlayerListSnapshot GameMessageHandler::Snapshot() const {
    PlayerListSnapshot snapshot;
    snapshot.m_PlayerCount = m_Players.Count();
    for (int32_t index = 0; index < m_Players.Count(); ++index) {
        const PlayerEntry& entry = m_Players.Entry(static_cast<size_t>(index));
        char line[128];
        std::snprintf(line, sizeof line, "(%d)\t%s\t%i", entry.m_Ping, entry.m_Name, entry.m_Frags);
        snapshot.m_Lines.push_back({line, std::string(entry.Name()), entry.m_ClientId});
    }
    return snapshot;
}

PlayerStatus GameMessageHandler::Player(int32_t index) const {
    const PlayerEntry& entry = m_Players.Entry(static_cast<size_t>(index));
    return {entry.Name(), entry.m_Frags, entry.m_Ping};
}

int32_t GameMessageHandler::PingOf(uint32_t clientId) const {
    if (m_Server == nullptr) {
        return 0;
    }
    const uint32_t clients = m_Server->CountClients();
    for (uint32_t index = 0; index < clients; ++index) {
        ClientRecord record{};
        if (m_Server->DescribeClient(index, &record) == ENGINE_TRUE && record.m_ClientId == clientId) {
            const float milliseconds = record.m_PingSeconds * 1000.0f;
            // A ping the engine cannot have meant (negative, huge, not a number) shows as 0.
            if (!(milliseconds >= 0.0f) || milliseconds > static_cast<float>(std::numeric_limits<int32_t>::max())) {
                return 0;
            }
            return static_cast<int32_t>(milliseconds);
        }
    }
    return 0;
}

} // namespace dravo
