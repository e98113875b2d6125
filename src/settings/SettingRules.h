// SettingRules: what each setting of the hosting records takes, as the setup pages and the options dialog
// check it, so that a value typed at any console is checked by the same rules, refused with the same
// reason, and stored as the page or the dialog stores it.
#pragma once

#include "settings/SettingsTable.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dravo {

constexpr uint32_t MIN_PLAYER_LIMIT = 1;
constexpr uint32_t MAX_PLAYER_LIMIT = 128;
constexpr uint32_t MAX_PORT = 65535;
constexpr size_t SERVER_NAME_MAX_CHARS = 119;

// What the pages and the dialog refuse, and why.
inline constexpr std::string_view PORT_RANGE_TEXT =
    "The port must be a number from 0 to 65535 (0 for the game's own port).";
inline constexpr std::string_view PLAYER_LIMIT_TEXT = "The player limit must be a number from 1 to 128.";
inline constexpr std::string_view SERVER_NAME_TEXT =
    "The server name must not be empty (at most 119 characters; a longer one is cut).";
inline constexpr std::string_view OPTION_NUMBER_TEXT = "must be a number, for example 1.5.";
inline constexpr std::string_view NIGHT_COLOR_TEXT =
    "The night colour must be three numbers from 0 to 1 - red, green and blue - for example 0.5 0.5 0.5.";

// The whole text, blanks around it aside, as one decimal number ("+1.5" too).
std::optional<double> ParseWholeNumber(std::string_view text);
// A night colour text, "r g b" with each from 0 to 1; nothing when the text is not one.
std::optional<std::array<double, 3>> ParseNightColor(std::string_view text);

// The row of the scalar table with this key (or a game option's dialog key), without regard to case.
const SettingRow* FindSettingRow(std::string_view key);
// Whether a console may set the row's value: the rows the program keeps itself (DashGoInfo) are left to
// the engine.
bool IsKeptSetting(const SettingRow& row);
// Nothing when the value is taken; else why not, as the page or the dialog says it.
std::optional<std::string> RefuseSetting(const SettingRow& row, std::string_view value);
// Writes a value that RefuseSetting took into the record the row points at, as the page or the dialog
// would (a number too large for the record is held at its largest; a time speed of 0 keeps the one the
// game has; a server name is cut to 119 characters).
void StoreSettingValue(const SettingRow& row, std::string_view value, SettingsTargets& targets);

} // namespace dravo
