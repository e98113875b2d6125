// LevelInfo: what a level file (".dat") tells the game.
//
// A level file is text, one "Key=Value" a line; lines that are empty or start
// with "#" are comments, keys are matched without regard to case, and keys the
// game does not know are ignored so that newer files still load.
//
//   Title=Cinderworks          shown to players (required)
//   Spawns=12                  spawn points, 1 to 128 (required)
//   Pace=1.0                   how fast frags come, above 0 (default 1.0)
//   Author=..., Description=...  free text
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace dravo::ref {

struct LevelInfo {
    std::string m_Title;
    std::string m_Author;
    std::string m_Description;
    int m_Spawns = 0;
    double m_Pace = 1.0;

    static constexpr int MAX_SPAWNS = 128;
    // The level, or empty with `error` saying which line is wrong.
    static std::optional<LevelInfo> Parse(std::string_view text, std::string& error);
};

} // namespace dravo::ref
