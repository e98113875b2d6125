// The marks of the console window: the command marker, the times of log lines and the level played.
#include "ui/ConsoleMarks.h"

#include "platform/os/LocalTime.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace dravo {
namespace {

// The level's name without its folders ("Worlds\Multi\Frostline" is "Frostline").
std::string_view BaseName(std::string_view path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool SameText(std::string_view left, std::string_view right) {
    return left.size() == right.size() && std::equal(left.begin(), left.end(), right.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

// Whether the rotation entry names the level the game reports: the same path, or the same name alone.
bool NamesLevel(std::string_view entry, std::string_view played) {
    return SameText(entry, played) || SameText(BaseName(entry), BaseName(played));
}

} // namespace

std::string ClockText(std::time_t moment) {
    const LocalTime local = ToLocalTime(moment);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", local.m_Fields.tm_hour % 100, local.m_Fields.tm_min % 100,
                  local.m_Fields.tm_sec % 100);
    return text;
}

std::string ConsoleLogLines::Add(std::string text, bool command, std::string clock) {
    m_Lines.push_back(Line{std::move(text), std::move(clock), command});
    while (m_Lines.size() > m_MaxLines) {
        m_Lines.pop_front();
    }
    return Shown(m_Lines.back());
}

std::string ConsoleLogLines::Shown(const Line& line) const {
    std::string shown;
    if (m_ShowTimes) {
        shown += line.m_Clock;
        shown += ' ';
    }
    if (line.m_Command) {
        shown += COMMAND_MARKER;
    }
    return shown + line.m_Text;
}

std::string ConsoleLogLines::Text() const {
    std::string text;
    for (const Line& line : m_Lines) {
        text += Shown(line);
        text += "\r\n";
    }
    return text;
}

std::optional<size_t> LevelMarks::SetPlayed(std::string_view played) {
    const size_t count = m_Levels.size();
    if (m_Played && NamesLevel(m_Levels[*m_Played], played)) {
        return m_Played; // the game says again what it plays (every state update does)
    }
    const size_t start = m_Played ? *m_Played + 1 : 0;
    m_Played.reset();
    for (size_t step = 0; step < count && !played.empty(); ++step) {
        const size_t index = (start + step) % count;
        if (NamesLevel(m_Levels[index], played)) {
            m_Played = index;
            break;
        }
    }
    return m_Played;
}

std::string LevelMarks::Text(size_t index) const {
    if (index >= m_Levels.size()) {
        return {};
    }
    return std::string(m_Played == index ? PLAYED_LEVEL_MARK : UNPLAYED_LEVEL_MARK) + m_Levels[index];
}

} // namespace dravo
