// Queued output on real pipes and FIFOs: a reader that does not read holds up neither the writers nor
// the end; what could not wait is dropped, counted and said in its place; a reader that quits ends the
// writing at once.
#include "platform/os/QueuedOutput.h"
#include "platform/os/SignalWatcher.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dravo {
namespace {

using namespace std::chrono_literals;

constexpr int LINES = 2000;
const std::string FILLER(1000, 'x'); // LINES of these are far more than a pipe and the queue hold

std::string NumberedLine(int number) {
    return "line " + std::to_string(number) + ' ' + FILLER + '\n';
}

// Fills a pipe to the brim, so that a writer after it has to wait for the reader from its first byte;
// returns how many bytes ('z') it took.
size_t FillPipe(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    (void)::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    size_t filled = 0;
    const std::string chunk(4096, 'z');
    for (size_t size = chunk.size(); size > 0; size /= 2) {
        ssize_t written = 0;
        while ((written = ::write(fd, chunk.data(), size)) > 0) {
            filled += static_cast<size_t>(written);
        }
    }
    (void)::fcntl(fd, F_SETFL, flags);
    return filled;
}

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : m_Fd(fd) {}
    ~Descriptor() { Close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return m_Fd; }
    void Close() {
        if (m_Fd >= 0) {
            ::close(m_Fd);
            m_Fd = -1;
        }
    }

private:
    int m_Fd;
};

// Reads a descriptor on a thread of its own, from the moment it is made, until the end of the stream.
class Drain {
public:
    explicit Drain(int fd) : m_Fd(fd), m_Thread([this] { Run(); }) {}
    ~Drain() { m_Thread.join(); }
    Drain(const Drain&) = delete;
    Drain& operator=(const Drain&) = delete;

    bool WaitFor(const std::string& text, std::chrono::milliseconds limit) {
        std::unique_lock lock(m_Mutex);
        return m_Changed.wait_for(lock, limit, [&] { return m_Text.find(text) != std::string::npos; });
    }
    bool WaitForEnd(std::chrono::milliseconds limit) {
        std::unique_lock lock(m_Mutex);
        return m_Changed.wait_for(lock, limit, [&] { return m_Ended; });
    }
    std::string Text() {
        std::scoped_lock lock(m_Mutex);
        return m_Text;
    }

private:
    void Run() {
        char buffer[65536];
        for (;;) {
            const ssize_t got = ::read(m_Fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            std::scoped_lock lock(m_Mutex);
            if (got <= 0) {
                m_Ended = true;
                m_Changed.notify_all();
                return;
            }
            m_Text.append(buffer, static_cast<size_t>(got));
            m_Changed.notify_all();
        }
    }

    int m_Fd;
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    std::string m_Text;
    bool m_Ended = false;
    std::thread m_Thread;
};

TEST(QueuedOutput, AStalledReaderHoldsUpNoWriterAndTheDroppedLinesAreSaidInTheirPlace) {
    int ends[2];
    ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
    Descriptor reader(ends[0]);
    Descriptor writer(ends[1]);
    const size_t filled = FillPipe(writer.Get());
    QueuedOutput output(writer.Get(), "the test pipe");
    for (int number = 0; number < LINES; ++number) {
        output.Write(NumberedLine(number)); // nobody reads yet: each returns at once all the same
    }
    const uint64_t dropped = output.Dropped();
    ASSERT_GT(dropped, 0U);
    ASSERT_LT(dropped, static_cast<uint64_t>(LINES)); // the pipe and the queue kept the first ones
    const int kept = LINES - static_cast<int>(dropped);

    Drain drain(reader.Get()); // the reader comes back
    ASSERT_TRUE(drain.WaitFor("line " + std::to_string(kept - 1) + ' ', 10s));
    output.Write("after the gap\n");
    std::ostream stream(&output.Buffer());
    stream << "no line feed" << std::flush; // waits for its line feed; the end passes it on as it is
    EXPECT_TRUE(output.Finish(10s));
    writer.Close();
    ASSERT_TRUE(drain.WaitForEnd(10s));

    // Every kept line whole and in order, then one line for the gap, then the line written after it.
    std::string expected(filled, 'z');
    for (int number = 0; number < kept; ++number) {
        expected += NumberedLine(number);
    }
    expected += "DravoServ: " + std::to_string(dropped) +
                " lines were dropped here: the reader of the test pipe did not keep up.\n";
    expected += "after the gap\nno line feed";
    EXPECT_EQ(drain.Text(), expected);
    EXPECT_EQ(output.Dropped(), dropped);
}

TEST(QueuedOutput, LinesDroppedAtTheEndAreSaidLastAndALineWrittenInPiecesGoesOnWhole) {
    int ends[2];
    ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
    Descriptor reader(ends[0]);
    Descriptor writer(ends[1]);
    const size_t filled = FillPipe(writer.Get());
    QueuedOutput output(writer.Get(), "the test pipe");
    std::ostream stream(&output.Buffer());
    stream << "a line "
           << "in " << std::flush << "pieces" << '\n'
           << std::flush;
    for (int number = 0; number < LINES; ++number) {
        output.Write(NumberedLine(number));
    }
    const uint64_t dropped = output.Dropped();
    ASSERT_GT(dropped, 0U);
    Drain drain(reader.Get());
    EXPECT_TRUE(output.Finish(10s));
    writer.Close();
    ASSERT_TRUE(drain.WaitForEnd(10s));
    const std::string text = drain.Text();
    EXPECT_EQ(text.substr(0, filled), std::string(filled, 'z'));
    EXPECT_EQ(text.find("a line in pieces\nline 0 "), filled);
    const std::string note = "DravoServ: " + std::to_string(dropped) +
                             " lines were dropped here: the reader of the test pipe did not keep up.\n";
    ASSERT_GE(text.size(), note.size());
    EXPECT_EQ(text.substr(text.size() - note.size()), note);
}

TEST(QueuedOutput, AReaderThatQuitsEndsTheWritingAtOnceAndQuietly) {
    IgnoreBrokenPipes(); // as the program does: a write to the gone reader fails instead of ending it
    int ends[2];
    ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
    Descriptor reader(ends[0]);
    Descriptor writer(ends[1]);
    QueuedOutput output(writer.Get(), "the test pipe");
    reader.Close();
    for (int number = 0; number < LINES; ++number) {
        output.Write(NumberedLine(number));
    }
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(output.Finish(10s)); // nothing of it could be written: not "all written"
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

TEST(QueuedOutput, AFifoWhoseReaderNeverReadsHoldsUpNeitherTheWritersNorTheEnd) {
    test::TempDir dir;
    const auto fifo = dir.Path() / "log.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    Descriptor reader(::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)); // opened, never read
    ASSERT_GE(reader.Get(), 0);
    Descriptor writer(::open(fifo.c_str(), O_WRONLY | O_CLOEXEC)); // blocking, as a redirection opens it
    ASSERT_GE(writer.Get(), 0);
    auto output = std::make_unique<QueuedOutput>(writer.Get(), "the FIFO");
    for (int number = 0; number < LINES; ++number) {
        output->Write(NumberedLine(number));
    }
    EXPECT_GT(output->Dropped(), 0U);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(output->Finish(300ms));
    output->Write("too late\n"); // after the end: dropped without waiting
    output.reset();              // the destructor's end waits for nothing more either
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    // What the FIFO took is whole lines from the first on; nothing came after the end.
    std::string taken(1 << 20, '\0');
    const ssize_t got = ::read(reader.Get(), taken.data(), taken.size());
    ASSERT_GT(got, 0);
    taken.resize(static_cast<size_t>(got));
    EXPECT_EQ(taken.rfind(NumberedLine(0), 0), 0U);
    EXPECT_EQ(taken.find("too late"), std::string::npos);
}

} // namespace
} // namespace dravo
