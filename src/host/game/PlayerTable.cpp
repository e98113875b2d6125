// The player table: names cut to their buffer, the frags sort and the walk.
#include "host/game/PlayerTable.h"
#include "platform/os/Text.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace dravo {

std::string_view PlayerEntry::Name() const {
    return BoundedText(m_Name, sizeof m_Name);
}

void PlayerEntry::SetName(std::string_view name) {
    const size_t length = std::min(name.size(), sizeof(m_Name) - 1);
    std::memcpy(m_Name, name.data(), length);
    std::memset(m_Name + length, 0, sizeof(m_Name) - length);
}

void PlayerTable::Reset() {
    m_Entries.fill(PlayerEntry{});
    m_Count = 0;
    m_WalkPosition = -1;
}

void PlayerTable::SetCount(int32_t count) {
    m_Count = std::clamp(count, 0, static_cast<int32_t>(MAX_PLAYER_ENTRIES));
}

void PlayerTable::Sort() {
    // Entry i moves down when it has fewer frags, or equal frags and a name that sorts later.
    // string_view compares as unsigned bytes, like strcmp.
    const auto count = static_cast<size_t>(m_Count);
    for (size_t i = 0; i + 1 < count; ++i) {
        for (size_t j = i + 1; j < count; ++j) {
            const PlayerEntry& first = m_Entries[i];
            const PlayerEntry& second = m_Entries[j];
            if (first.m_Frags < second.m_Frags ||
                (first.m_Frags == second.m_Frags && first.Name().compare(second.Name()) > 0)) {
                std::swap(m_Entries[i], m_Entries[j]);
            }
        }
    }
}

const PlayerEntry* PlayerTable::FirstPlayer() {
    m_WalkPosition = -1;
    return NextPlayer();
}

const PlayerEntry* PlayerTable::NextPlayer() {
    // The position stops one past the end so repeated calls cannot run it past the table.
    if (m_WalkPosition < m_Count) {
        ++m_WalkPosition;
    }
    if (m_WalkPosition < m_Count) {
        return &m_Entries[static_cast<size_t>(m_WalkPosition)];
    }
    return nullptr;
}

} // namespace dravo
