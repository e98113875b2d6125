// LogCapture: the console lines that one command produces, taken on the thread it runs on.
//
// Contract. A capture begins when it is made and ends when it goes, on one thread; it must go on that
// thread, before the log does. While it lives, every line that thread adds to its console log (masked, as
// the log shows it) is also kept here, up to a byte limit; lines other threads add at the same time (a
// player joining during the frame) are not. A silent capture keeps its lines out of the log: the program's
// own questions to the engine (the names Tab completes). Captures nest: the inner one takes the lines
// while it lives.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace dravo {

class ConsoleLog;

class LogCapture {
public:
    enum class Mode { AlsoLog, Silent };

    LogCapture(const ConsoleLog& log, size_t maxBytes, Mode mode = Mode::AlsoLog);
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    const std::vector<std::string>& Lines() const { return m_Lines; }
    std::vector<std::string> TakeLines() { return std::move(m_Lines); }
    // Bytes of lines left out past the limit.
    size_t LeftOut() const { return m_LeftOut; }

    // The capture of this thread for `log`, or null; the console log asks before it hands a line on.
    static LogCapture* Current(const ConsoleLog& log);
    // Keeps the line; true when the log must not show it.
    bool Take(std::string_view line);

private:
    const ConsoleLog& m_Log;
    size_t m_MaxBytes;
    Mode m_Mode;
    LogCapture* m_Outer; // the capture this one interrupts, on this thread
    std::vector<std::string> m_Lines;
    size_t m_Bytes = 0;
    size_t m_LeftOut = 0;
};

} // namespace dravo
