// GameRules: the rule of the game and the level rotation the front end hands to LoadWorld.
//
// The front end passes its rules record whole, GAME_RULES_SIZE bytes laid out
// little-endian: game type (byte 0), end type (byte 1), frag limit (int32 at
// 4), time limit in minutes (int32 at 8), level count (byte 12) and up to 50
// level names in 128-byte slots from byte 13. Every slot is read within its
// own 128 bytes, terminated or not, and a count above 50 is limited to 50.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dravo::ref {

struct GameRules {
    enum class EndType : uint8_t { AfterFrags = 1, AfterTime = 2, FragsOrTime = 3, Never = 4 };

    static constexpr uint32_t GAME_RULES_SIZE = 6416;
    static constexpr size_t MAX_LEVELS = 50;
    static constexpr size_t LEVEL_SLOT_SIZE = 128;

    uint8_t m_GameType = 1;
    uint8_t m_EndType = static_cast<uint8_t>(EndType::Never); // as given; unknown values never end a level
    int32_t m_EndFrags = 0;                                   // 0 or less: no frag limit
    int32_t m_EndMinutes = 0;                                 // 0 or less: no time limit
    std::vector<std::string> m_Levels;                        // rotation order; empty slots left out

    // The rules in a record of `size` bytes; empty with `error` set when the record is missing or the wrong size.
    static std::optional<GameRules> Parse(const void* record, uint32_t size, std::string& error);

    bool EndsOnFrags() const;
    bool EndsOnTime() const;
};

} // namespace dravo::ref
