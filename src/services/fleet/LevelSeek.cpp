// Moving through the rotation to the level an allocation asked for.
#include "services/fleet/LevelSeek.h"

#include <algorithm>
#include <cctype>

namespace dravo {
namespace {

std::string_view LastPart(std::string_view level) {
    const size_t slash = level.find_last_of("/\\");
    return slash == std::string_view::npos ? level : level.substr(slash + 1);
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

bool SameLevel(std::string_view level, std::string_view rotationLevel) {
    return !level.empty() &&
           (EqualNoCase(level, rotationLevel) || EqualNoCase(LastPart(level), LastPart(rotationLevel)));
}

std::string LevelSeek::Start(std::string_view wanted, const SessionSnapshot& facts) {
    m_Active = false;
    const auto& rotation = facts.m_Game.m_Rotation;
    const auto found = std::find_if(rotation.begin(), rotation.end(),
                                    [&](const std::string& level) { return SameLevel(wanted, level); });
    const std::string quoted = "\"" + std::string(wanted) + "\"";
    if (found == rotation.end()) {
        return "Agones SDK: the allocation asks for level " + quoted + ", which is not in the rotation; \"" +
               facts.m_Level + "\" goes on.";
    }
    if (SameLevel(facts.m_Level, *found)) {
        return "Agones SDK: the allocation asks for level " + quoted + ", which is being played.";
    }
    m_Active = true;
    m_Target = *found;
    m_StepsLeft = rotation.size();
    m_Waiting = false;
    return "Agones SDK: the allocation asks for level " + quoted + "; moving through the rotation to it.";
}

bool LevelSeek::Step(const SessionSnapshot& facts, Time now, std::string& line) {
    if (!m_Active) {
        return false;
    }
    if (m_Waiting && facts.m_LevelChanges == m_ChangesAtAsk) {
        if (now - m_AskedAt < LEVEL_STEP_LIMIT) {
            return false;
        }
        m_Active = false;
        line = "Agones SDK: the level did not change; \"" + facts.m_Level + "\" goes on.";
        return false;
    }
    if (SameLevel(facts.m_Level, m_Target)) {
        m_Active = false;
        line = "Agones SDK: level \"" + m_Target + "\" is played, as the allocation asked.";
        return false;
    }
    if (m_StepsLeft == 0 || facts.m_Phase != HostingPhase::Running) {
        m_Active = false;
        line = "Agones SDK: level \"" + m_Target + "\" was not reached; \"" + facts.m_Level + "\" goes on.";
        return false;
    }
    --m_StepsLeft;
    m_Waiting = true;
    m_ChangesAtAsk = facts.m_LevelChanges;
    m_AskedAt = now;
    return true;
}

} // namespace dravo
