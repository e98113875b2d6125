// ConsoleMarks: what the console window adds to what it shows - the marker before a command's echo, the
// time of day before each log line when the operator asks for it, and the mark on the level now played.
//
// Window thread. The log view keeps its newest lines with the time each was captured, so that turning the
// times on or off redraws the same lines with the same times, whenever it is done. Only the view is
// marked: the log file and the event stream keep their own format.
#pragma once

#include <cstddef>
#include <ctime>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dravo {

// Before an echoed command in the log view, so that it stands apart from the answers.
inline constexpr std::string_view COMMAND_MARKER = "> ";
// Before the level now played in the Levels list; the other levels get as many blanks.
inline constexpr std::string_view PLAYED_LEVEL_MARK = "* ";
inline constexpr std::string_view UNPLAYED_LEVEL_MARK = "  ";

// "HH:MM:SS" of the moment in the process's time zone.
std::string ClockText(std::time_t moment);

class ConsoleLogLines {
public:
    explicit ConsoleLogLines(size_t maxLines) : m_MaxLines(maxLines) {}

    // A line as captured at `clock` ("HH:MM:SS"); returns the text the view shows for it now.
    std::string Add(std::string text, bool command, std::string clock);
    void Clear() { m_Lines.clear(); }
    [[nodiscard]] bool ShowsTimes() const { return m_ShowTimes; }
    void ShowTimes(bool shown) { m_ShowTimes = shown; }
    // Every kept line as the view shows it now, each ending in "\r\n".
    std::string Text() const;
    size_t Count() const { return m_Lines.size(); }

private:
    struct Line {
        std::string m_Text;
        std::string m_Clock; // when it was captured
        bool m_Command = false;
    };
    std::string Shown(const Line& line) const;

    size_t m_MaxLines;
    bool m_ShowTimes = false;
    std::deque<Line> m_Lines;
};

// The levels of the rotation as the Levels list shows them, with the one now played marked.
class LevelMarks {
public:
    explicit LevelMarks(std::vector<std::string> levels) : m_Levels(std::move(levels)) {}

    // The level the game now plays, as the game names it (a whole path or the name alone, in any case).
    // Returns the index of the rotation entry marked now, if any: when the rotation holds the level
    // more than once, the first after the one marked before.
    std::optional<size_t> SetPlayed(std::string_view played);
    std::optional<size_t> Played() const { return m_Played; }
    // The list's text of entry `index`.
    std::string Text(size_t index) const;
    size_t Count() const { return m_Levels.size(); }

private:
    std::vector<std::string> m_Levels;
    std::optional<size_t> m_Played;
};

} // namespace dravo
