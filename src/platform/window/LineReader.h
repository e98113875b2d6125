// LineReader: reads lines from a file descriptor on its own thread and hands each to a callback, then
// reports the end of input once. Stopping (the destructor) never waits on the descriptor.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <thread>

namespace dravo {

class LineReader {
public:
    // Longest line handed on; the rest of a longer line is dropped.
    static constexpr size_t MAX_LINE = 4096;

    using LineHandler = std::function<void(std::string line)>;
    using EndHandler = std::function<void()>;

    // Starts reading at once. The handlers run on the reader thread. A line break is "\n" or "\r\n";
    // a last line without a break is handed on at the end of input.
    LineReader(int fd, LineHandler onLine, EndHandler onEnd);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

private:
    void Run();
    void Deliver(std::string& line);

    int m_Fd;
    int m_StopRead = -1;
    int m_StopWrite = -1;
    LineHandler m_OnLine;
    EndHandler m_OnEnd;
    std::thread m_Thread;
};

} // namespace dravo
