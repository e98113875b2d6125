// GameRules: the rule of the game and the level rotation the front end hands to LoadWorld.
#include "GameRules.h"

#include <algorithm>
#include <cstring>

namespace dravo::ref {

namespace {

constexpr size_t GAME_TYPE_AT = 0;
constexpr size_t END_TYPE_AT = 1;
constexpr size_t END_FRAGS_AT = 4;
constexpr size_t END_MINUTES_AT = 8;
constexpr size_t LEVEL_COUNT_AT = 12;
constexpr size_t LEVEL_NAMES_AT = 13;

static_assert(LEVEL_NAMES_AT + GameRules::MAX_LEVELS * GameRules::LEVEL_SLOT_SIZE + 3 == GameRules::GAME_RULES_SIZE);

int32_t ReadInt32(const unsigned char* bytes) {
    const uint32_t value = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    int32_t signedValue = 0;
    std::memcpy(&signedValue, &value, sizeof signedValue);
    return signedValue;
}

} // namespace

std::optional<GameRules> GameRules::Parse(const void* record, uint32_t size, std::string& error) {
    if (record == nullptr || size != GAME_RULES_SIZE) {
        error = "The game rules are missing or not " + std::to_string(GAME_RULES_SIZE) + " bytes long.";
        return std::nullopt;
    }
    const auto* bytes = static_cast<const unsigned char*>(record);
    GameRules rules;
    rules.m_GameType = bytes[GAME_TYPE_AT];
    rules.m_EndType = bytes[END_TYPE_AT];
    rules.m_EndFrags = ReadInt32(bytes + END_FRAGS_AT);
    rules.m_EndMinutes = ReadInt32(bytes + END_MINUTES_AT);
    const size_t count = std::min<size_t>(bytes[LEVEL_COUNT_AT], MAX_LEVELS);
    for (size_t i = 0; i < count; ++i) {
        const char* slot = reinterpret_cast<const char*>(bytes + LEVEL_NAMES_AT + i * LEVEL_SLOT_SIZE);
        const std::string name(slot, ::strnlen(slot, LEVEL_SLOT_SIZE));
        if (!name.empty()) {
            rules.m_Levels.push_back(name);
        }
    }
    return rules;
}

bool GameRules::EndsOnFrags() const {
    const auto type = static_cast<EndType>(m_EndType);
    return (type == EndType::AfterFrags || type == EndType::FragsOrTime) && m_EndFrags > 0;
}

bool GameRules::EndsOnTime() const {
    const auto type = static_cast<EndType>(m_EndType);
    return (type == EndType::AfterTime || type == EndType::FragsOrTime) && m_EndMinutes > 0;
}

} // namespace dravo::ref
