// The rules of the setup pages and the options dialog, for a value given as text.
#include "settings/SettingRules.h"

#include "platform/os/Text.h"
#include "settings/DecimalText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace dravo {
namespace {

// The options whose fields are check boxes, and the settings the services page ticks.
constexpr std::array<std::string_view, 6> SWITCH_KEYS = {"TractorBeam", "DoubleJump", "RammingDamage",
                                                         "UpdateInfo",  "ServerReg",  "UseGameSpy"};
constexpr std::string_view TIME_SPEED_KEY = "WorldTimeSpeed";
constexpr std::string_view NIGHT_COLOR_KEY = "WorldColorNight";

bool IsKey(const SettingRow& row, std::string_view key) {
    return EqualNoCase(row.m_Key, key);
}

// The name the options dialog's messages give a number field: "The run speed".
std::string FieldName(const SettingRow& row) {
    if (IsKey(row, TIME_SPEED_KEY)) {
        return "The time speed";
    }
    std::string name = "The";
    for (const char c : row.m_Key) {
        if (c >= 'A' && c <= 'Z') {
            name += ' ';
        }
        name += LowerChar(c);
    }
    return name;
}

// A whole number from `low` to `high` as the digits-only fields take one.
std::optional<int64_t> WholeInRange(std::string_view text, int64_t low, int64_t high) {
    const std::optional<double> number = ParseWholeNumber(text);
    if (!number || *number != std::trunc(*number) || *number < static_cast<double>(low) ||
        *number > static_cast<double>(high)) {
        return std::nullopt;
    }
    return static_cast<int64_t>(*number);
}

std::optional<std::string> RefuseInt(const SettingRow& row, std::string_view value) {
    const std::string key(row.m_Key);
    if (IsKey(row, "MaxPlayers")) {
        return WholeInRange(value, MIN_PLAYER_LIMIT, MAX_PLAYER_LIMIT) ? std::nullopt
                                                                       : std::optional(std::string(PLAYER_LIMIT_TEXT));
    }
    if (IsKey(row, "Port")) {
        return WholeInRange(value, 0, MAX_PORT) ? std::nullopt : std::optional(std::string(PORT_RANGE_TEXT));
    }
    if (std::ranges::any_of(SWITCH_KEYS, [&row](std::string_view name) { return IsKey(row, name); })) {
        return WholeInRange(value, 0, 1) ? std::nullopt : std::optional(key + " must be 0 (off) or 1 (on).");
    }
    if (IsKey(row, "EndType")) {
        return WholeInRange(value, END_AFTER_FRAGS, END_NEVER)
                   ? std::nullopt
                   : std::optional(key + " must be 1 (frags), 2 (minutes), 3 (whichever comes first) or 4 (never).");
    }
    constexpr int64_t LARGEST = std::numeric_limits<int32_t>::max();
    return WholeInRange(value, 0, LARGEST)
               ? std::nullopt
               : std::optional(key + " must be a whole number from 0 to " + std::to_string(LARGEST) + ".");
}

} // namespace

std::optional<double> ParseWholeNumber(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    text = text.substr(first, text.find_last_not_of(" \t") + 1 - first);
    if (text.front() == '+') {
        text.remove_prefix(1);
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::array<double, 3>> ParseNightColor(std::string_view text) {
    std::array<double, 3> components{};
    size_t at = 0;
    for (double& component : components) {
        const size_t start = text.find_first_not_of(' ', at);
        if (start == std::string_view::npos) {
            return std::nullopt;
        }
        at = std::min(text.find(' ', start), text.size());
        const auto value = ParseWholeNumber(text.substr(start, at - start));
        if (!value || !(*value >= 0.0 && *value <= 1.0)) {
            return std::nullopt;
        }
        component = *value;
    }
    if (text.find_first_not_of(' ', at) != std::string_view::npos) {
        return std::nullopt;
    }
    return components;
}

const SettingRow* FindSettingRow(std::string_view key) {
    for (const SettingRow& row : ScalarSettingsTable()) {
        if (IsKey(row, key) || (row.IsGameOption() && EqualNoCase(row.m_Option.m_DialogKey, key))) {
            return &row;
        }
    }
    return nullptr;
}

bool IsKeptSetting(const SettingRow& row) {
    return !row.m_IsDashGoInfo;
}

std::optional<std::string> RefuseSetting(const SettingRow& row, std::string_view value) {
    switch (row.m_Kind) {
    case SettingKind::Int:
        return RefuseInt(row, value);
    case SettingKind::Number:
        // An empty time speed, or 0, keeps the one the game has.
        if (IsKey(row, TIME_SPEED_KEY) && value.find_first_not_of(" \t") == std::string_view::npos) {
            return std::nullopt;
        }
        if (!ParseWholeNumber(value)) {
            return FieldName(row) + " " + std::string(OPTION_NUMBER_TEXT) +
                   (IsKey(row, TIME_SPEED_KEY) ? " Empty or 0 keeps the game's own." : "");
        }
        return std::nullopt;
    case SettingKind::Text:
        if (IsKey(row, NIGHT_COLOR_KEY)) {
            return ParseNightColor(value) ? std::nullopt : std::optional(std::string(NIGHT_COLOR_TEXT));
        }
        if (value.find_first_not_of(" \t") == std::string_view::npos) {
            return IsKey(row, "ServerName") ? std::string(SERVER_NAME_TEXT)
                                            : std::string(row.m_Key) + " must not be empty.";
        }
        return std::nullopt;
    }
    return std::nullopt;
}

void StoreSettingValue(const SettingRow& row, std::string_view value, SettingsTargets& targets) {
    void* target = row.m_Locate(targets);
    switch (row.m_Kind) {
    case SettingKind::Int:
        *static_cast<int32_t*>(target) = static_cast<int32_t>(ParseWholeNumber(value).value_or(0));
        break;
    case SettingKind::Number: {
        constexpr double LARGEST = std::numeric_limits<float>::max();
        const double number = std::clamp(ParseWholeNumber(value).value_or(0.0), -LARGEST, LARGEST);
        if (number != 0.0 || !IsKey(row, TIME_SPEED_KEY)) {
            *static_cast<float*>(target) = static_cast<float>(number);
        }
        break;
    }
    case SettingKind::Text: {
        const size_t limit = IsKey(row, "ServerName") ? SERVER_NAME_MAX_CHARS : row.m_TextSize - 1;
        char* text = static_cast<char*>(target);
        const std::string_view kept = value.substr(0, std::min(limit, row.m_TextSize - 1));
        std::copy(kept.begin(), kept.end(), text);
        text[kept.size()] = '\0';
        break;
    }
    }
}

} // namespace dravo
