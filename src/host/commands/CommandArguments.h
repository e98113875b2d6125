// CommandArguments: the words of the operator's commands read one way for every console - a player
// named by id or whole name, a duration such as 30m, and a reason that may be quoted.
#pragma once

#include "host/state/PlayerRoster.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dravo {

// The longest ban a duration may give: ten years (a longer one is a ban for good).
constexpr int64_t MAX_DURATION_SECONDS = int64_t{10} * 365 * 24 * 3600;

enum class DurationRead : uint8_t {
    NotADuration, // the word does not begin with a digit: it is not meant as one
    Valid,
    Invalid, // it begins with a digit but is no duration ("30", "5x", "0m", too long)
};

// "90s", "30m", "2h", "7d", "1w", or several joined ("1h30m"); a number needs its unit.
DurationRead ParseDuration(std::string_view word, int64_t& seconds);
// "2d 3h", "5m 10s", "0s": the two largest units that are not 0.
std::string FormatDuration(int64_t seconds);

// What "kick <id|name> [reason]" and "ban <id|name> [duration] [reason]" say.
struct TargetArguments {
    std::string m_Target;             // an id or a whole name
    std::optional<int64_t> m_Seconds; // a ban's duration; none for good
    std::string m_Reason;             // may be empty
};

// The arguments after the command's word; nothing, with `error` set, when they do not fit.
std::optional<TargetArguments> ParseTargetArguments(std::string_view line, bool takesDuration, std::string& error);

// The players a target names: the player of that id when the target is a number that is a player's id,
// else every player of exactly that name.
std::vector<RosterPlayer> FindTargets(const std::vector<RosterPlayer>& roster, std::string_view target);

// The levels of the rotation whose name, or its last part after the folders, is `wanted` or begins with
// it, ignoring case; a whole name that matches is the one answer even when it begins another.
std::vector<std::string> MatchLevels(const std::vector<std::string>& rotation, std::string_view wanted);

} // namespace dravo
