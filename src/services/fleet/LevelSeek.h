// LevelSeek: an allocation's choice of level, reached through the rotation.
//
// The allocation may carry the annotation "dravo/level" naming a level of the rotation (its whole name, or
// the last part of it, in any case). The game knows no command to start a given level, so the server moves
// on with Next Level, as the operator would, one level at a time, until that level is played: at most once
// round the rotation, each step waiting for the game to finish its level change (LEVEL_STEP_LIMIT at
// most, on the program's clock). A level that is not in the rotation, or is played already, changes nothing. Each
// outcome is one line.
#pragma once

#include "host/state/SessionFacts.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace dravo {

inline constexpr const char* LEVEL_ANNOTATION = "dravo/level";
constexpr std::chrono::seconds LEVEL_STEP_LIMIT{10};

// True when `level` names `rotationLevel`: the same text, or the same last part, regardless of case.
bool SameLevel(std::string_view level, std::string_view rotationLevel);

class LevelSeek {
public:
    using Time = std::chrono::milliseconds; // on the fleet client's clock (ElapsedClock)

    // An allocation asks for `wanted`; returns the line to log.
    std::string Start(std::string_view wanted, const SessionSnapshot& facts);
    // With the newest facts: true when Next Level is to be pressed now. `line` gets a line to log.
    [[nodiscard]] bool Step(const SessionSnapshot& facts, Time now, std::string& line);
    bool IsActive() const { return m_Active; }

private:
    bool m_Active = false;
    std::string m_Target;
    size_t m_StepsLeft = 0;
    bool m_Waiting = false; // for the level change asked for
    uint64_t m_ChangesAtAsk = 0;
    Time m_AskedAt{};
};

} // namespace dravo
