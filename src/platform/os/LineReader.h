// LineReader: reads lines from a file descriptor on its own thread and hands each to a callback, then
// reports the end of input once. Stopping (the destructor) never waits on the descriptor.
#pragma once

#include "platform/os/BlockingPool.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

namespace dravo {

class LineReader {
public:
    // Longest line handed on; the rest of a longer line is dropped.
    static constexpr size_t MAX_LINE = 4096;

    using LineHandler = std::function<void(std::string line)>;
    using EndHandler = std::function<void()>;

    // Starts reading at once. The handlers run on the reader thread. A line break is "\n" or "\r\n";
    // a last line without a break is handed on at the end of input. Where the system's reads cannot be
    // interrupted (Windows), they block on `pool`, which outlives the reader.
    LineReader(int fd, BlockingPool& pool, LineHandler onLine, EndHandler onEnd);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // What the reading thread holds: the input, the handlers and the way to stop it (each platform's own).
    struct Context;

private:
    std::shared_ptr<Context> m_Context;
    std::thread m_Thread;
};

// LineSplitter: cuts the bytes read into lines as LineReader hands them on.
class LineSplitter {
public:
    explicit LineSplitter(const LineReader::LineHandler& onLine) : m_OnLine(onLine) {}

    void Feed(std::string_view bytes);
    // The end of input: a last line without a break goes on.
    void Finish();

private:
    void Deliver();

    const LineReader::LineHandler& m_OnLine;
    std::string m_Line;
    bool m_Overlong = false; // dropping the rest of a line past MAX_LINE
};

} // namespace dravo
