// The session's facts, kept under one small lock of their own.
#include "host/state/SessionFacts.h"

#include <algorithm>
#include <utility>

namespace dravo {

// `change` returns whether it changed anything; listeners hear only of real changes.
template <typename Change> void SessionFacts::Update(Change&& change) {
    std::scoped_lock lock(m_Mutex);
    if (!change(m_Facts)) {
        return;
    }
    ++m_Facts.m_Version;
    for (const auto& listener : m_Listeners) {
        listener.second();
    }
}

void SessionFacts::HostingStarted(HostedGame game) {
    Update([&](SessionSnapshot& facts) {
        facts.m_Phase = HostingPhase::Running;
        facts.m_Level = game.m_FirstLevel;
        facts.m_Game = std::move(game);
        return true;
    });
}

void SessionFacts::HostingEnded() {
    Update([](SessionSnapshot& facts) {
        return std::exchange(facts.m_Phase, HostingPhase::Ended) != HostingPhase::Ended;
    });
}

void SessionFacts::SetPlayers(std::vector<RosterPlayer> players, uint32_t nowMs) {
    std::vector<std::string> names;
    names.reserve(players.size());
    for (RosterPlayer& player : players) {
        names.push_back(player.m_Name);
    }
    Update([&](SessionSnapshot& facts) {
        for (RosterPlayer& player : players) {
            const auto before = std::ranges::find_if(facts.m_Roster, [&player](const RosterPlayer& earlier) {
                return earlier.m_Id == player.m_Id && earlier.m_Name == player.m_Name;
            });
            player.m_JoinedMs = before != facts.m_Roster.end() ? before->m_JoinedMs : nowMs;
        }
        facts.m_Roster = std::move(players);
        // A frag or a ping is no change for the listeners, only who plays.
        if (names == facts.m_Players) {
            return false;
        }
        facts.m_Players = std::move(names);
        return true;
    });
}

void SessionFacts::LevelChanged(std::string level) {
    Update([&](SessionSnapshot& facts) {
        if (!level.empty()) {
            facts.m_Level = std::move(level);
        }
        ++facts.m_LevelChanges;
        return true;
    });
}

void SessionFacts::SetGameType(std::string gameType) {
    Update([&](SessionSnapshot& facts) {
        if (facts.m_Game.m_GameType == gameType) {
            return false;
        }
        facts.m_Game.m_GameType = std::move(gameType);
        return true;
    });
}

SessionSnapshot SessionFacts::Snapshot() const {
    std::scoped_lock lock(m_Mutex);
    return m_Facts;
}

std::vector<RosterPlayer> SessionFacts::Roster() const {
    std::scoped_lock lock(m_Mutex);
    return m_Facts.m_Roster;
}

int SessionFacts::AddListener(Listener listener) {
    std::scoped_lock lock(m_Mutex);
    const int id = m_NextListener++;
    m_Listeners.emplace_back(id, std::move(listener));
    return id;
}

void SessionFacts::RemoveListener(int id) {
    std::scoped_lock lock(m_Mutex);
    std::erase_if(m_Listeners, [id](const auto& listener) { return listener.first == id; });
}

} // namespace dravo
