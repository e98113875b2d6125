// Reading the operator's command arguments.
#include "host/commands/CommandArguments.h"

#include "host/commands/CommandWords.h"
#include "platform/os/Text.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace dravo {
namespace {

struct DurationUnit {
    char m_Letter;
    int64_t m_Seconds;
};
constexpr std::array<DurationUnit, 5> UNITS = {
    {{'w', int64_t{7} * 86400}, {'d', 86400}, {'h', 3600}, {'m', 60}, {'s', 1}}};
constexpr size_t MAX_DURATION_CHARS = 24;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

const DurationUnit* FindUnit(char letter) {
    const char lower = LowerChar(letter);
    const auto found = std::ranges::find(UNITS, lower, &DurationUnit::m_Letter);
    return found == UNITS.end() ? nullptr : &*found;
}

} // namespace

DurationRead ParseDuration(std::string_view word, int64_t& seconds) {
    if (word.empty() || !IsDigit(word.front())) {
        return DurationRead::NotADuration;
    }
    if (word.size() > MAX_DURATION_CHARS) {
        return DurationRead::Invalid;
    }
    int64_t total = 0;
    size_t at = 0;
    while (at < word.size()) {
        if (!IsDigit(word[at])) {
            return DurationRead::Invalid; // a sign, a blank, a unit without its number
        }
        int64_t count = 0;
        const auto [end, error] = std::from_chars(word.data() + at, word.data() + word.size(), count);
        const size_t unitAt = static_cast<size_t>(end - word.data());
        if (error != std::errc() || unitAt >= word.size()) {
            return DurationRead::Invalid; // no number, too large, or a number without its unit
        }
        const DurationUnit* unit = FindUnit(word[unitAt]);
        if (unit == nullptr || count > MAX_DURATION_SECONDS / unit->m_Seconds) {
            return DurationRead::Invalid;
        }
        total += count * unit->m_Seconds;
        if (total > MAX_DURATION_SECONDS) {
            return DurationRead::Invalid;
        }
        at = unitAt + 1;
    }
    if (total <= 0) {
        return DurationRead::Invalid;
    }
    seconds = total;
    return DurationRead::Valid;
}

std::string FormatDuration(int64_t seconds) {
    // Weeks aside: days read better in a list.
    for (size_t index = 1; index < UNITS.size(); ++index) {
        const DurationUnit& unit = UNITS[index];
        const int64_t count = seconds / unit.m_Seconds;
        if (count <= 0) {
            continue;
        }
        std::string text = std::to_string(count) + unit.m_Letter;
        if (index + 1 < UNITS.size()) {
            const int64_t smaller = seconds % unit.m_Seconds / UNITS[index + 1].m_Seconds;
            if (smaller > 0) {
                text += " " + std::to_string(smaller) + UNITS[index + 1].m_Letter;
            }
        }
        return text;
    }
    return "0s";
}

std::optional<TargetArguments> ParseTargetArguments(std::string_view line, bool takesDuration, std::string& error) {
    const CommandWords words(line);
    if (words.Count() < 2 || words.Word(1).empty()) {
        error = "name the player by id or whole name";
        return std::nullopt;
    }
    TargetArguments arguments;
    arguments.m_Target = std::string(words.Word(1));
    size_t reasonAfter = 1;
    if (takesDuration && words.Count() > 2) {
        int64_t seconds = 0;
        switch (ParseDuration(words.Word(2), seconds)) {
        case DurationRead::Valid:
            arguments.m_Seconds = seconds;
            reasonAfter = 2;
            break;
        case DurationRead::Invalid:
            error = "\"" + std::string(words.Word(2)) +
                    "\" is no duration: give a number and its unit (s, m, h, d, w) such as 30m, 2h or 7d, "
                    "at most ten years";
            return std::nullopt;
        case DurationRead::NotADuration:
            break;
        }
    }
    arguments.m_Reason = words.Rest(reasonAfter);
    return arguments;
}

std::vector<RosterPlayer> FindTargets(const std::vector<RosterPlayer>& roster, std::string_view target) {
    uint32_t id = 0;
    const auto [end, error] = std::from_chars(target.data(), target.data() + target.size(), id);
    if (!target.empty() && error == std::errc() && end == target.data() + target.size()) {
        const auto byId = std::ranges::find(roster, id, &RosterPlayer::m_Id);
        if (byId != roster.end() && id != 0) {
            return {*byId};
        }
    }
    std::vector<RosterPlayer> named;
    std::ranges::copy_if(roster, std::back_inserter(named),
                         [target](const RosterPlayer& player) { return player.m_Name == target; });
    return named;
}

std::vector<std::string> MatchLevels(const std::vector<std::string>& rotation, std::string_view wanted) {
    std::vector<std::string> found;
    if (wanted.empty()) {
        return found;
    }
    for (const std::string& level : rotation) {
        // "Worlds\Multi\Frostline" answers to its whole name and to "Frostline".
        const std::string_view whole(level);
        const size_t folder = whole.find_last_of("\\/");
        const std::string_view base = folder == std::string_view::npos ? whole : whole.substr(folder + 1);
        if (EqualNoCase(whole, wanted) || EqualNoCase(base, wanted)) {
            return {level};
        }
        if ((StartsWithNoCase(whole, wanted) || StartsWithNoCase(base, wanted)) &&
            std::ranges::find(found, level) == found.end()) {
            found.push_back(level);
        }
    }
    return found;
}

} // namespace dravo
