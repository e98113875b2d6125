// Match: the level being played, the rotation and the simulated frags.
#include "Match.h"

#include "TextUtil.h"

#include <algorithm>
#include <cmath>

namespace dravo::ref {

namespace {

constexpr size_t NONE = static_cast<size_t>(-1);
constexpr double MICROSECONDS_PER_MINUTE = 60e6;
// More frags per player per minute than this are taken as this.
constexpr double MAX_FRAG_RATE = 600.0;

} // namespace

Match::Match(GameRules rules, std::string world, LevelInfo worldInfo,
             std::vector<std::optional<LevelInfo>> rotationInfo, uint32_t seed)
    : m_Rules(std::move(rules)), m_RotationInfo(std::move(rotationInfo)), m_Current(std::move(world)),
      m_CurrentInfo(std::move(worldInfo)), m_CurrentIndex(NONE), m_NextIndex(NONE), m_Random(seed) {
    m_RotationInfo.resize(m_Rules.m_Levels.size());
    for (size_t i = 0; i < m_Rules.m_Levels.size(); ++i) {
        if (TextUtil::EqualsNoCase(m_Rules.m_Levels[i], m_Current)) {
            m_CurrentIndex = i;
            break;
        }
    }
    m_NextIndex = NextPlayable(m_CurrentIndex);
    m_FragWait = DrawWait();
}

size_t Match::NextPlayable(size_t from) const {
    const size_t count = m_RotationInfo.size();
    for (size_t step = 1; step <= count; ++step) {
        const size_t index = from == NONE ? step - 1 : (from + step) % count;
        if (m_RotationInfo[index].has_value()) {
            return index;
        }
    }
    return NONE;
}

const std::string& Match::Next() const {
    return m_NextIndex == NONE ? m_Current : m_Rules.m_Levels[m_NextIndex];
}

double Match::DrawWait() {
    // An exponential wait, drawn from the generator's raw output so every platform plays the same.
    const double uniform = (static_cast<double>(m_Random()) + 0.5) / 4294967296.0;
    return -std::log(uniform);
}

int Match::Play(ClientTable& clients, uint64_t elapsed, double fragsPerMinute) {
    m_LevelTime += elapsed;
    std::vector<Client>& players = clients.All();
    if (players.empty() || !(fragsPerMinute > 0.0)) {
        return 0;
    }
    const double rate = std::min(fragsPerMinute, MAX_FRAG_RATE);
    m_FragCredit += rate * static_cast<double>(players.size()) * m_CurrentInfo.m_Pace * static_cast<double>(elapsed) /
                    MICROSECONDS_PER_MINUTE;
    int scored = 0;
    while (m_FragCredit >= m_FragWait && scored < MAX_FRAGS_PER_PLAY) {
        m_FragCredit -= m_FragWait;
        m_FragWait = DrawWait();
        Client& scorer = players[m_Random() % players.size()];
        ++scorer.m_Frags;
        ++scored;
        if (LevelOver(clients)) {
            break;
        }
    }
    if (scored == MAX_FRAGS_PER_PLAY || LevelOver(clients)) {
        m_FragCredit = 0.0; // a long pause does not bank frags for later frames
    }
    return scored;
}

bool Match::LevelOver(const ClientTable& clients) const {
    if (m_Rules.EndsOnTime() &&
        m_LevelTime >= static_cast<uint64_t>(m_Rules.m_EndMinutes) * static_cast<uint64_t>(MICROSECONDS_PER_MINUTE)) {
        return true;
    }
    if (m_Rules.EndsOnFrags()) {
        for (const Client& client : clients.All()) {
            if (client.m_Frags >= m_Rules.m_EndFrags) {
                return true;
            }
        }
    }
    return false;
}

bool Match::ChooseNext(const std::string& level) {
    for (size_t index = 0; index < m_Rules.m_Levels.size(); ++index) {
        if (TextUtil::EqualsNoCase(m_Rules.m_Levels[index], level) && m_RotationInfo[index].has_value()) {
            m_NextIndex = index;
            return true;
        }
    }
    return false;
}

void Match::ChangeLevel(ClientTable& clients) {
    if (m_NextIndex != NONE) {
        m_CurrentIndex = m_NextIndex;
        m_Current = m_Rules.m_Levels[m_CurrentIndex];
        m_CurrentInfo = *m_RotationInfo[m_CurrentIndex];
        m_NextIndex = NextPlayable(m_CurrentIndex);
    }
    m_LevelTime = 0;
    m_FragCredit = 0.0;
    clients.ResetFrags();
}

} // namespace dravo::ref
