// The append-only file on Windows when the path names a pipe (a log shipper's named pipe): it can be
// written, a reader gets every byte, and a write into a pipe whose reader never reads ends when the
// writer is told to give up instead of waiting for ever.
#include "app/LogFile.h"
#include "platform/fs/AppendFile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

namespace dravo {
namespace {

constexpr DWORD PIPE_BUFFER = 4096;

// A named pipe server end, in byte mode with a small buffer, closed with its owner.
class PipeServer {
public:
    PipeServer() {
        static std::atomic<int> counter{0};
        m_Path = "\\\\.\\pipe\\dravo-append-" + std::to_string(GetCurrentProcessId()) + "-" +
                 std::to_string(counter.fetch_add(1));
        m_Handle =
            CreateNamedPipeA(m_Path.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1,
                             PIPE_BUFFER, PIPE_BUFFER, 0, nullptr);
    }
    ~PipeServer() { Close(); }
    PipeServer(const PipeServer&) = delete;
    PipeServer& operator=(const PipeServer&) = delete;

    bool IsOpen() const { return m_Handle != INVALID_HANDLE_VALUE; }
    const std::string& Path() const { return m_Path; }
    HANDLE Handle() const { return m_Handle; }
    void Close() {
        if (m_Handle != INVALID_HANDLE_VALUE) {
            CloseHandle(m_Handle);
            m_Handle = INVALID_HANDLE_VALUE;
        }
    }

private:
    std::string m_Path;
    HANDLE m_Handle = INVALID_HANDLE_VALUE;
};

// What a write on a thread of its own ended with; shared with that thread, so that a write that never
// returns cannot outlive what it uses.
struct PendingWrite {
    AppendFile m_File;
    std::string m_Text;
    std::atomic<bool> m_GiveUp{false};
    std::string m_Error;
    bool m_Written = false;
};

TEST(WindowsAppendFilePipe, AWriteIntoAPipeNobodyReadsEndsWhenToldToGiveUp) {
    PipeServer server;
    ASSERT_TRUE(server.IsOpen()) << GetLastError();
    auto pending = std::make_shared<PendingWrite>();
    std::string error;
    ASSERT_TRUE(pending->m_File.Open(server.Path(), error)) << error;

    pending->m_Text.assign(16 * PIPE_BUFFER, 'x'); // far more than the pipe holds
    std::promise<void> done;
    std::future<void> ended = done.get_future();
    std::thread writer([pending, done = std::move(done)]() mutable {
        pending->m_Written = pending->m_File.Write(pending->m_Text, pending->m_Error, &pending->m_GiveUp);
        done.set_value();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(ended.wait_for(std::chrono::seconds(0)), std::future_status::timeout)
        << "the write ended before anyone read or gave up: " << pending->m_Error;
    pending->m_GiveUp = true;
    if (ended.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        ADD_FAILURE() << "the write went on waiting after it was told to give up";
        server.Close(); // takes the pipe away from under the write, which then fails
        if (ended.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            writer.detach(); // it holds its own share of what it uses
            FAIL() << "the write never returned";
        }
    }
    writer.join();
    EXPECT_FALSE(pending->m_Written);
    EXPECT_EQ(pending->m_Error, AppendFile::GAVE_UP);
}

TEST(WindowsAppendFilePipe, AReaderGetsEveryByteInOrder) {
    PipeServer server;
    ASSERT_TRUE(server.IsOpen()) << GetLastError();
    AppendFile file;
    std::string error;
    ASSERT_TRUE(file.Open(server.Path(), error)) << error;

    std::string expected;
    for (int line = 0; line < 2000; ++line) {
        expected += "line " + std::to_string(line) + " of the log\n";
    }
    std::string received;
    std::thread reader([&] {
        char buffer[1000];
        DWORD read = 0;
        // Ends when the writer closes its end (ERROR_BROKEN_PIPE) or after far more than was sent.
        while (received.size() <= expected.size() &&
               ReadFile(server.Handle(), buffer, sizeof buffer, &read, nullptr) != 0) {
            received.append(buffer, read);
        }
    });
    std::atomic<bool> giveUp{false};
    const size_t half = expected.size() / 2;
    EXPECT_TRUE(file.Write(std::string_view(expected).substr(0, half), error, &giveUp)) << error;
    EXPECT_TRUE(file.Write(std::string_view(expected).substr(half), error)) << error;
    file.Close();
    reader.join();
    EXPECT_EQ(received.size(), expected.size());
    EXPECT_TRUE(received == expected);
}

TEST(WindowsAppendFilePipe, APipeWhoseReaderHasGoneIsAFailureThatSaysSo) {
    PipeServer server;
    ASSERT_TRUE(server.IsOpen()) << GetLastError();
    AppendFile file;
    std::string error;
    ASSERT_TRUE(file.Open(server.Path(), error)) << error;
    server.Close();
    std::atomic<bool> giveUp{false};
    EXPECT_FALSE(file.Write("after the reader left\n", error, &giveUp));
    EXPECT_EQ(error, "its reader has gone");

    AppendFile absent; // no server end at all
    EXPECT_FALSE(absent.Open("\\\\.\\pipe\\dravo-append-nobody-" + std::to_string(GetCurrentProcessId()), error));
    EXPECT_FALSE(error.empty());
}

TEST(WindowsAppendFilePipe, TheLogFileOnAPipeThatIsReadGetsItsLinesAndOnOneNeverReadEndsInItsBound) {
    {
        PipeServer server;
        ASSERT_TRUE(server.IsOpen()) << GetLastError();
        std::ostringstream errors;
        auto log = std::make_unique<LogFile>(server.Path(), errors);
        ASSERT_TRUE(log->Open()) << errors.str();
        std::string received;
        std::thread reader([&] {
            char buffer[1000];
            DWORD read = 0;
            while (received.size() < 1000000 && ReadFile(server.Handle(), buffer, sizeof buffer, &read, nullptr) != 0) {
                received.append(buffer, read);
            }
        });
        log->WriteLine("Server is running.");
        log->WriteLine("Player joined.");
        log.reset(); // writes what is queued and closes the pipe's writing end
        reader.join();
        // The log file's lines end as Windows' text does.
        EXPECT_NE(received.find(" Server is running.\r\n"), std::string::npos) << received;
        EXPECT_NE(received.find(" Player joined.\r\n"), std::string::npos) << received;
        EXPECT_EQ(errors.str(), "");
    }

    PipeServer server; // never read
    ASSERT_TRUE(server.IsOpen()) << GetLastError();
    auto errors = std::make_shared<std::ostringstream>();
    auto log = std::make_shared<std::unique_ptr<LogFile>>(std::make_unique<LogFile>(server.Path(), *errors));
    ASSERT_TRUE((*log)->Open()) << errors->str();
    for (int number = 0; number < 2000; ++number) {
        (*log)->WriteLine("line " + std::to_string(number) + std::string(80, '.'));
    }
    std::promise<void> done;
    std::future<void> ended = done.get_future();
    std::thread ending([log, errors, done = std::move(done)]() mutable {
        log->reset();
        done.set_value();
    });
    if (ended.wait_for(LogFile::FINISH_WAIT + std::chrono::seconds(10)) != std::future_status::ready) {
        ADD_FAILURE() << "the end of the log waited for a reader that never reads";
        server.Close();
        if (ended.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            ending.detach(); // it holds its own share of what it uses
            FAIL() << "the end of the log never came";
        }
    }
    ending.join();
    EXPECT_NE(errors->str().find(" log lines were never written to the log file \"" + server.Path() + "\"."),
              std::string::npos)
        << errors->str();
}

} // namespace
} // namespace dravo
