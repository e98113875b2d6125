// LevelInfo: what a level file (".dat") tells the game.
#include "LevelInfo.h"

#include "TextUtil.h"

namespace dravo::ref {

std::optional<LevelInfo> LevelInfo::Parse(std::string_view text, std::string& error) {
    LevelInfo level;
    bool haveSpawns = false;
    size_t lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const size_t end = text.find('\n');
        const std::string_view line = TextUtil::Trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            error = "line " + std::to_string(lineNumber) + " is not Key=Value";
            return std::nullopt;
        }
        const std::string key = TextUtil::ToLower(TextUtil::Trim(line.substr(0, equals)));
        const std::string_view value = TextUtil::Trim(line.substr(equals + 1));
        if (key == "title") {
            level.m_Title = value;
        } else if (key == "author") {
            level.m_Author = value;
        } else if (key == "description") {
            level.m_Description = value;
        } else if (key == "spawns") {
            long long spawns = 0;
            if (!TextUtil::ParseWholeNumber(value, spawns) || spawns < 1 || spawns > MAX_SPAWNS) {
                error = "line " + std::to_string(lineNumber) + ": Spawns must be a whole number from 1 to 128";
                return std::nullopt;
            }
            level.m_Spawns = static_cast<int>(spawns);
            haveSpawns = true;
        } else if (key == "pace") {
            if (!TextUtil::ParseNumber(value, level.m_Pace) || level.m_Pace <= 0.0) {
                error = "line " + std::to_string(lineNumber) + ": Pace must be a number above 0";
                return std::nullopt;
            }
        }
    }
    if (level.m_Title.empty() || !haveSpawns) {
        error = "a level needs a Title and Spawns";
        return std::nullopt;
    }
    return level;
}

} // namespace dravo::ref
