// The game code's messages: state updates, level changes and console text.
//
// Each message is tagged-field text with its kind in "GMSG":
//   0  state update: CLEV, NLEV, PLRS and per player n PLRNn (name), PLRFn (frags), PLRIn (client id)
//   1  level changed: CLEV, NLEV; ends a level change
//   2  console text: CMSG
//   3  level change begins
//   4  level change ends
#include "app/DecimalText.h"
#include "host/ServerSession.h"
#include "host/TaggedFields.h"

#include <charconv>
#include <cmath>
#include <limits>

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

std::string PlayerTag(const char* prefix, int32_t number) {
    return prefix + std::to_string(number);
}

} // namespace

void ServerSession::HandleGameMessage(const char* text) {
    if (text == nullptr) {
        return;
    }
    const std::string_view message(text);
    const auto kind = FindField(message, "GMSG");
    if (!kind) {
        return;
    }
    switch (ParseDecimalInt(*kind)) {
    case 0:
        HandleStateUpdate(message);
        break;
    case 1:
        HandleLevelChanged(message);
        break;
    case 2:
        if (const auto line = FindField(message, "CMSG")) {
            LogText(*line);
        }
        break;
    case 3:
        m_LevelChange = true;
        m_UpdateLock.BeginLevelChange();
        break;
    case 4:
        m_LevelChange = false;
        (void)m_UpdateLock.EndLevelChange();
        break;
    default:
        break;
    }
}

void ServerSession::HandleLevelChanged(std::string_view message) {
    m_LevelChange = false;
    (void)m_UpdateLock.EndLevelChange();
    if (const auto current = FindField(message, "CLEV")) {
        m_View.ShowCurrentLevel(*current);
        SetCurrentLevel(*current);
    }
    if (const auto next = FindField(message, "NLEV")) {
        m_View.ShowNextLevel(*next);
    }
    m_LevelStart = m_Clock.NowMs();
}

void ServerSession::HandleStateUpdate(std::string_view message) {
    // The table and the countdown are shared with the worker's step.
    std::scoped_lock lock(m_UpdateLock);
    if (const auto current = FindField(message, "CLEV")) {
        m_View.ShowCurrentLevel(*current);
    }
    if (const auto next = FindField(message, "NLEV")) {
        m_View.ShowNextLevel(*next);
    }

    const int32_t listed = FindFieldInt(message, "PLRS").value_or(0);
    const int32_t count = std::clamp<int32_t>(listed, 0, static_cast<int32_t>(MAX_PLAYER_ENTRIES));
    for (int32_t n = 1; n <= count; ++n) {
        PlayerEntry& entry = m_Players.Entry(static_cast<size_t>(n - 1));
        if (const auto name = FindField(message, PlayerTag("PLRN", n), PLAYER_NAME_CHARS)) {
            entry.SetName(*name);
            if (const auto frags = FindField(message, PlayerTag("PLRF", n))) {
                entry.m_Frags = ParseDecimalInt(*frags);
                const auto id = FindField(message, PlayerTag("PLRI", n));
                entry.m_ClientId = id ? ParseClientId(*id) : 0;
            }
            const std::string playerName(entry.Name());
            if (m_BanList.IsBanned(playerName) && !m_KickQueue.IsQueued(playerName)) {
                LogLine("Added %s to kick queue...", playerName.c_str());
                (void)m_KickQueue.QueueKick(playerName, entry.m_ClientId);
            }
        }
        entry.m_Ping = PingOf(entry.m_ClientId);
    }

    const int32_t previous = m_Players.Count();
    m_Players.SetCount(count);
    m_Players.Sort();

    PlayerListSnapshot snapshot;
    snapshot.m_PlayerCount = count;
    for (int32_t index = 0; index < count; ++index) {
        const PlayerEntry& entry = m_Players.Entry(static_cast<size_t>(index));
        char line[128];
        std::snprintf(line, sizeof line, "(%d)\t%s\t%i", entry.m_Ping, entry.m_Name, entry.m_Frags);
        snapshot.m_Lines.push_back({line, std::string(entry.Name()), entry.m_ClientId});
    }

    if (m_Records.m_EmptyExitEnabled) {
        if (previous > 0 && count == 0) {
            LogLine("Last player has left the game, shutting down in %i seconds if no new players join...",
                    static_cast<int>(m_Tuning.m_EmptyExitDelaySeconds));
            m_CountdownArmed = true;
            m_CountdownRemaining = m_Tuning.m_EmptyExitDelaySeconds * 1000;
        } else if (count >= 1) {
            m_CountdownArmed = false;
        }
    }
    m_View.ShowPlayers(std::move(snapshot));
}

int32_t ServerSession::PingOf(uint32_t clientId) {
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
