// The log file on a FIFO: nobody reading it, a reader that comes late, one that goes, one that never
// reads. Nothing waits for the reader but the writer, what waits is capped and counted, and the end
// comes within its bound.
#include "app/LogFile.h"
#include "platform/os/SignalWatcher.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <memory>
#include <regex>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dravo {
namespace {

using namespace std::chrono_literals;

constexpr std::chrono::seconds FLUSH_BOUND{10};

class FifoLog : public ::testing::Test {
protected:
    void SetUp() override {
        IgnoreBrokenPipes(); // as the program does
        ASSERT_EQ(::mkfifo(Path().c_str(), 0600), 0);
    }
    void TearDown() override {
        if (m_Reader >= 0) {
            ::close(m_Reader);
        }
    }
    std::string Path() const { return (m_Directory.Path() / "server.log").string(); }
    // The reader opens its end (without waiting for a writer) and, until it reads, reads nothing.
    void OpenReader() {
        m_Reader = ::open(Path().c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        ASSERT_GE(m_Reader, 0);
    }
    // What the FIFO holds now.
    std::string ReadWaiting() {
        std::string text;
        char buffer[65536];
        ssize_t got = 0;
        while ((got = ::read(m_Reader, buffer, sizeof buffer)) > 0) {
            text.append(buffer, static_cast<size_t>(got));
        }
        return text;
    }
    // Everything, until every writer has closed its end.
    std::string ReadToTheEnd() {
        const int flags = ::fcntl(m_Reader, F_GETFL);
        (void)::fcntl(m_Reader, F_SETFL, flags & ~O_NONBLOCK);
        std::string text;
        char buffer[65536];
        for (ssize_t got = 0; (got = ::read(m_Reader, buffer, sizeof buffer)) != 0;) {
            if (got > 0) {
                text.append(buffer, static_cast<size_t>(got));
            } else if (errno != EINTR) {
                break;
            }
        }
        return text;
    }

    test::TempDir m_Directory;
    std::ostringstream m_Errors;
    int m_Reader = -1;
};

TEST_F(FifoLog, NobodyReadingIsAFileThatCannotBeOpenedAndALateReaderGetsTheKeptLines) {
    LogFile file(Path(), m_Errors);
    EXPECT_FALSE(file.Open()); // at once: the open does not wait for a reader
    EXPECT_NE(m_Errors.str().find("Unable to write the log file \"" + Path() + "\" (a FIFO that nobody reads)"),
              std::string::npos)
        << m_Errors.str();
    file.WriteLine("kept while nobody reads");
    ASSERT_TRUE(file.Flush(FLUSH_BOUND));

    OpenReader();
    file.WriteLine("after the reader came");
    ASSERT_TRUE(file.Flush(FLUSH_BOUND));
    const std::string text = ReadWaiting();
    const size_t kept = text.find(" kept while nobody reads\n");
    ASSERT_NE(kept, std::string::npos) << text;
    EXPECT_GT(text.find(" after the reader came\n"), kept);

    // The reader goes: a new trouble, said; the next reader gets what was written meanwhile.
    ::close(m_Reader);
    m_Reader = -1;
    file.WriteLine("after the reader went");
    ASSERT_TRUE(file.Flush(FLUSH_BOUND));
    EXPECT_NE(m_Errors.str().find("(its reader has gone)"), std::string::npos) << m_Errors.str();
    OpenReader();
    file.WriteLine("for the next reader");
    ASSERT_TRUE(file.Flush(FLUSH_BOUND));
    const std::string next = ReadWaiting();
    const size_t went = next.find(" after the reader went\n");
    ASSERT_NE(went, std::string::npos) << next;
    EXPECT_GT(next.find(" for the next reader\n"), went);
}

TEST_F(FifoLog, AReaderThatDoesNotReadHoldsUpNoCallerAndWhatCouldNotWaitIsCounted) {
    OpenReader();
    auto file = std::make_unique<LogFile>(Path(), m_Errors);
    ASSERT_TRUE(file->Open());
    constexpr int LINES = 35000; // far more than the FIFO and both sides of the writer hold
    const std::string padding(80, '.');
    for (int number = 0; number < LINES; ++number) {
        file->WriteLine("line " + std::to_string(number) + ' ' + padding); // returns at once all the same
    }
    std::string text;
    std::thread reader([&] { text = ReadToTheEnd(); }); // the reader comes back
    EXPECT_TRUE(file->Flush(FLUSH_BOUND));
    file.reset();
    reader.join();

    // Every line is either in the file, whole and in order, or counted among the dropped.
    int written = 0;
    long long dropped = 0;
    int last = -1;
    bool inOrder = true;
    const std::regex lineForm(R"(\S+ line (\d+) \.+)");
    const std::regex noteForm(R"(\S+ (\d+) earlier log lines could not be written and were dropped\.)");
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::smatch match;
        if (std::regex_match(line, match, lineForm)) {
            const int number = std::stoi(match[1]);
            inOrder = inOrder && number > last;
            last = number;
            ++written;
        } else if (std::regex_match(line, match, noteForm)) {
            dropped += std::stoll(match[1]);
        } else {
            ADD_FAILURE() << "a line out of place: " << line;
        }
    }
    EXPECT_TRUE(inOrder);
    EXPECT_GT(dropped, 0); // capped: not all of them waited
    EXPECT_EQ(written + dropped, LINES);
    EXPECT_EQ(last, LINES - 1); // the newest are kept
}

TEST_F(FifoLog, TheEndWaitsForAReaderThatNeverReadsNoLongerThanItsBound) {
    OpenReader();
    auto file = std::make_unique<LogFile>(Path(), m_Errors);
    ASSERT_TRUE(file->Open());
    for (int number = 0; number < 5000; ++number) {
        file->WriteLine("line " + std::to_string(number) + std::string(80, '.'));
    }
    const auto start = std::chrono::steady_clock::now();
    file.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, LogFile::FINISH_WAIT + 3s);
    EXPECT_NE(m_Errors.str().find(" log lines were never written to the log file \"" + Path() + "\"."),
              std::string::npos)
        << m_Errors.str();
}

} // namespace
} // namespace dravo
