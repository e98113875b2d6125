// Lines read on their own thread: both break forms, a last line without a break, overlong lines cut.
#include "platform/os/LineReader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace dravo {
namespace {

using namespace std::chrono_literals;

class Collected {
public:
    void Line(std::string line) {
        std::lock_guard lock(m_Mutex);
        m_Lines.push_back(std::move(line));
    }
    void End() {
        {
            std::lock_guard lock(m_Mutex);
            ++m_Ends;
        }
        m_Changed.notify_all();
    }
    // Waits, with a bound, for the end of input; then the lines read.
    bool WaitForEnd() {
        std::unique_lock lock(m_Mutex);
        return m_Changed.wait_for(lock, 10s, [this] { return m_Ends > 0; });
    }
    std::vector<std::string> Lines() {
        std::lock_guard lock(m_Mutex);
        return m_Lines;
    }
    int Ends() {
        std::lock_guard lock(m_Mutex);
        return m_Ends;
    }

private:
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    std::vector<std::string> m_Lines;
    int m_Ends = 0;
};

void WriteAll(int fd, const std::string& text) {
    ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
}

TEST(LineReader, SplitsLinesAndHandsOnTheLastOneAtTheEnd) {
    BlockingPool pool; // unused by this system's reads, as the reader's contract allows
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    Collected collected;
    {
        LineReader reader(
            ends[0], pool, [&](std::string line) { collected.Line(std::move(line)); }, [&] { collected.End(); });
        WriteAll(ends[1], "status\r\nkick 3\n\nlast");
        close(ends[1]);
        ASSERT_TRUE(collected.WaitForEnd());
    }
    close(ends[0]);
    EXPECT_EQ(collected.Lines(), (std::vector<std::string>{"status", "kick 3", "", "last"}));
    EXPECT_EQ(collected.Ends(), 1);
}

TEST(LineReader, CutsOverlongLinesAndDropsTheirRest) {
    BlockingPool pool; // unused by this system's reads, as the reader's contract allows
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    Collected collected;
    std::thread writer([fd = ends[1]] {
        WriteAll(fd, std::string(LineReader::MAX_LINE + 900, 'x') + "\nnext\n");
        close(fd);
    });
    {
        LineReader reader(
            ends[0], pool, [&](std::string line) { collected.Line(std::move(line)); }, [&] { collected.End(); });
        ASSERT_TRUE(collected.WaitForEnd());
    }
    writer.join();
    close(ends[0]);
    const auto lines = collected.Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string(LineReader::MAX_LINE, 'x'));
    EXPECT_EQ(lines[1], "next");
}

TEST(LineReader, StopsWhileWaitingForInputWithoutReportingAnEnd) {
    BlockingPool pool; // unused by this system's reads, as the reader's contract allows
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    Collected collected;
    {
        LineReader reader(
            ends[0], pool, [&](std::string line) { collected.Line(std::move(line)); }, [&] { collected.End(); });
    } // nothing was written and the pipe is still open: the destructor must not wait for input
    close(ends[0]);
    close(ends[1]);
    EXPECT_EQ(collected.Ends(), 0);
}

TEST(LineReader, NoDescriptorIsAnImmediateEnd) {
    BlockingPool pool; // unused by this system's reads, as the reader's contract allows
    Collected collected;
    LineReader reader(
        -1, pool, [&](std::string line) { collected.Line(std::move(line)); }, [&] { collected.End(); });
    EXPECT_EQ(collected.Ends(), 1);
    EXPECT_TRUE(collected.Lines().empty());
}

} // namespace
} // namespace dravo
