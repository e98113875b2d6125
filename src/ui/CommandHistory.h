// CommandHistory: the lines typed into the console window's command input, for Up and Down to bring
// back, kept between runs in a small file beside the configuration.
//
// Window thread. The history holds at most MAX_LINES lines of at most COMMAND_LINE_CHARS characters,
// the newest last; a line equal to the newest is not added again, and empty lines never are. The file
// holds one line a line; reading it takes its newest MAX_FILE_BYTES, and leaves out a line that sets
// a secret (a file of an older program may hold one). Writing it replaces it whole: a temporary file
// of its own beside it (made afresh, never through a link, never waiting on a FIFO; the configuration's
// lock keeps other servers from it), then a rename, so that a run that ends half-way leaves the old
// file.
#pragma once

#include "host/commands/CommandService.h"

#include <cstddef>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace dravo {

class CommandHistory {
public:
    static constexpr size_t MAX_LINES = 200;
    static constexpr size_t COMMAND_LINE_CHARS = CommandService::MAX_LINE_CHARS;
    static constexpr size_t MAX_FILE_BYTES = size_t{64} * 1024;

    // The history file that goes with a configuration file, never the configuration itself: a ".cfg"
    // file's name with ".history" for ".cfg" ("dravosrv.cfg" keeps its history in "dravosrv.history"),
    // any other name with ".history" added ("a.ini.history", "game.history.history"), cut to fit the
    // system's limit.
    static std::filesystem::path FileFor(const std::filesystem::path& configuration);

    // Adds a line that was sent; the recall starts again below the newest line.
    void Add(std::string_view line);
    // One step back (step < 0) or forward (step > 0) from where the recall stands; the input holds
    // `current`, which is kept as the draft when the recall leaves the bottom and given back there.
    // Nothing when there is no line in that direction.
    std::optional<std::string> Recall(int step, std::string_view current);
    const std::deque<std::string>& Lines() const { return m_Lines; }

    // Replaces the lines with the file's; a missing file is an empty history. False (the history then
    // empty) when the file exists and cannot be read as a history.
    bool Load(const std::filesystem::path& file);
    // Writes the lines; false with the reason in `error` when it cannot.
    bool Save(const std::filesystem::path& file, std::string& error) const;

private:
    std::deque<std::string> m_Lines;
    size_t m_Position = 0; // index into m_Lines of the line shown; m_Lines.size() at the draft
    std::string m_Draft;   // what the input held before the recall began
};

} // namespace dravo
