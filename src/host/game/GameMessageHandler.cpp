// State updates, level changes and console text from the game code.
#include "host/game/GameMessageHandler.h"

#include "host/game/GameMessage.h"
#include "host/game/TaggedFields.h"
#include "settings/DecimalText.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <mutex>
#include <vector>

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
    m_Listed.clear();
    m_CurrentLevel.clear();
    ++m_Revision;
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
    ++m_Revision;
}

std::string_view LevelEndName(LevelEnd why) {
    switch (why) {
    case LevelEnd::Operator:
        return "operator";
    case LevelEnd::FragLimit:
        return "frag_limit";
    case LevelEnd::TimeLimit:
        return "time_limit";
    default:
        return "game";
    }
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
    const auto current = FindField(message, game_tag::CURRENT_LEVEL);
    const auto next = FindField(message, game_tag::NEXT_LEVEL);
    std::string ended;
    std::string leader;
    LevelEnd why = LevelEnd::Game;
    {
        // The table and the level are shared with the worker's step; the lines are logged after.
        std::scoped_lock lock(m_Parts.m_Lock);
        ended = m_CurrentLevel;
        why = EndReason(m_Parts.m_Clock.NowMs(), leader);
    }
    LogLevelChange(ended, why, leader, current, next);
    if (current) {
        m_Parts.m_View.ShowCurrentLevel(*current);
        SetCurrentLevel(*current);
    }
    if (next) {
        m_Parts.m_View.ShowNextLevel(*next);
    }
    m_LevelStart = m_Parts.m_Clock.NowMs();
    m_NextLevelAsked = false;
    m_Parts.m_Facts.LevelChanged(current ? std::string(*current) : std::string());
}

LevelEnd GameMessageHandler::EndReason(uint32_t nowMs, std::string& leader) const {
    leader.clear();
    if (m_NextLevelAsked) {
        return LevelEnd::Operator;
    }
    const GameInfo& game = m_Parts.m_Game;
    const bool byFrags = game.m_EndType == END_AFTER_FRAGS || game.m_EndType == END_AFTER_FRAGS_OR_TIME;
    const bool byTime = game.m_EndType == END_AFTER_TIME || game.m_EndType == END_AFTER_FRAGS_OR_TIME;
    // The table is sorted: the first player has the most frags.
    if (byFrags && m_Players.Count() > 0 && m_Players.Entry(0).m_Frags >= game.m_EndFrags) {
        leader = m_Players.Entry(0).Name();
        return LevelEnd::FragLimit;
    }
    // The game keeps its own level clock: a level that ends within a few seconds of the limit ended by it.
    constexpr uint32_t CLOCK_SLACK_MS = 5000;
    const uint64_t limitMs = static_cast<uint64_t>(std::max(game.m_EndTime, 0)) * 60000;
    if (byTime && uint64_t{nowMs - m_LevelStart} + CLOCK_SLACK_MS >= limitMs) {
        return LevelEnd::TimeLimit;
    }
    return LevelEnd::Game;
}

// "Level <ended> ended: <why>." and "Level changed to <current>; next: <next>."
void GameMessageHandler::LogLevelChange(std::string_view ended, LevelEnd why, const std::string& leader,
                                        std::optional<std::string_view> current, std::optional<std::string_view> next) {
    const std::string level = ended.empty() ? std::string("(none)") : std::string(ended);
    const GameInfo& game = m_Parts.m_Game;
    switch (why) {
    case LevelEnd::Operator:
        m_Parts.m_Log.Line("Level %s ended: the operator moved on to the next level.", level.c_str());
        break;
    case LevelEnd::FragLimit:
        m_Parts.m_Log.Line("Level %s ended: %s reached the frag limit of %d.", level.c_str(), leader.c_str(),
                           static_cast<int>(game.m_EndFrags));
        break;
    case LevelEnd::TimeLimit:
        m_Parts.m_Log.Line("Level %s ended: the time limit of %d minutes ran out.", level.c_str(),
                           static_cast<int>(game.m_EndTime));
        break;
    case LevelEnd::Game:
        m_Parts.m_Log.Line("Level %s ended.", level.c_str());
        break;
    }
    const std::string now = current ? std::string(*current) : std::string("(unknown)");
    const std::string following = next ? std::string(*next) : std::string();
    EventFields fields = EventFieldList()
                             .Text("from", ended)
                             .Text("to", now)
                             .Text("next", following)
                             .Text("reason", LevelEndName(why))
                             .Take();
    if (next) {
        m_Parts.m_Log.Event(event_name::LEVEL_CHANGED, EventLevel::Notice, std::move(fields),
                            "Level changed to %s; next: %s.", now.c_str(), following.c_str());
    } else {
        m_Parts.m_Log.Event(event_name::LEVEL_CHANGED, EventLevel::Notice, std::move(fields), "Level changed to %s.",
                            now.c_str());
    }
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
    ++m_Revision;
    UpdateCountdown(previous, count);
    std::vector<RosterPlayer> roster;
    roster.reserve(static_cast<size_t>(m_Players.Count()));
    for (int32_t index = 0; index < m_Players.Count(); ++index) {
        const PlayerEntry& entry = m_Players.Entry(static_cast<size_t>(index));
        roster.push_back({entry.m_ClientId, std::string(entry.Name()), entry.m_Frags, entry.m_Ping, 0});
    }
    KeepJoinTimes(roster);
    m_Parts.m_View.ShowPlayers(Snapshot(roster));
    // Told once the roster has them, so that whoever hears of a player can find it there.
    const std::vector<RosterPlayer> before = m_Parts.m_Facts.Roster();
    const std::vector<RosterPlayer> after = roster;
    m_Parts.m_Facts.SetPlayers(std::move(roster), m_Parts.m_Clock.NowMs());
    LogPlayerChanges(before, after);
}

void GameMessageHandler::LogPlayerChanges(const std::vector<RosterPlayer>& before,
                                          const std::vector<RosterPlayer>& after) {
    // A player is the same while id and name stay; a new name is one who left and one who joined.
    const auto among = [](const std::vector<RosterPlayer>& players, const RosterPlayer& player) {
        return std::any_of(players.begin(), players.end(), [&](const RosterPlayer& other) {
            return other.m_Id == player.m_Id && other.m_Name == player.m_Name;
        });
    };
    const auto tell = [this](std::string_view name, const RosterPlayer& player, const char* verb) {
        m_Parts.m_Log.Event(LogEvent{std::string(name), EventLevel::Info, player.m_Name + " " + verb + " the game.",
                                     EventFieldList().Number("id", player.m_Id).Text("name", player.m_Name).Take(),
                                     false});
    };
    for (const RosterPlayer& player : before) {
        if (!among(after, player)) {
            tell(event_name::PLAYER_LEFT, player, "left");
        }
    }
    for (const RosterPlayer& player : after) {
        if (!among(before, player)) {
            tell(event_name::PLAYER_JOINED, player, "joined");
        }
    }
}

void GameMessageHandler::QueueIfBanned(const PlayerEntry& entry) {
    const std::string name(entry.Name());
    if (m_Parts.m_Bans.IsBanned(name) && !m_Parts.m_Kicks.IsQueued(name)) {
        m_Parts.m_Log.Event(event_name::PLAYER_KICKED, EventLevel::Notice,
                            EventFieldList()
                                .Number("id", entry.m_ClientId)
                                .Text("name", name)
                                .Text("reason", "banned")
                                .Text("origin", "ban list")
                                .Take(),
                            "Added %s to kick queue...", name.c_str());
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

PlayerListSnapshot GameMessageHandler::Snapshot(const std::vector<RosterPlayer>& roster) {
    PlayerListSnapshot snapshot;
    snapshot.m_PlayerCount = static_cast<int32_t>(roster.size());
    for (const RosterPlayer& player : roster) {
        // The client id in a column of its own after the frags, for the operator's kick command; a
        // list with room for two columns only leaves it out of sight.
        snapshot.m_Lines.push_back({FormatRosterLine(player), player.m_Name, player.m_Id});
    }
    return snapshot;
}

PlayerStatus GameMessageHandler::Player(int32_t index) const {
    const PlayerEntry& entry = m_Players.Entry(static_cast<size_t>(index));
    const auto at = static_cast<size_t>(index);
    return {entry.Name(), entry.m_Frags, entry.m_Ping, at < m_Listed.size() ? m_Listed[at].m_JoinedMs : 0};
}

// A player keeps the time it was first listed while its id and name stay; anyone else joined now.
void GameMessageHandler::KeepJoinTimes(std::vector<RosterPlayer>& roster) {
    const uint32_t now = m_Parts.m_Clock.NowMs();
    for (RosterPlayer& player : roster) {
        const auto before = std::ranges::find_if(m_Listed, [&player](const RosterPlayer& earlier) {
            return earlier.m_Id == player.m_Id && earlier.m_Name == player.m_Name;
        });
        player.m_JoinedMs = before != m_Listed.end() ? before->m_JoinedMs : now;
    }
    m_Listed = roster;
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
