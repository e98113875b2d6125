// The Windows builds of the two layers that wait on the outside: the headless face's line reader on a
// pipe (what a service manager gives as standard input), and the HTTP GET over WinINet against a real
// loopback listener - its answer, its user agent, its bound on a server that never answers, and abort.
#include "platform/http/HttpGet.h"
#include "platform/os/LineReader.h"

#include <gtest/gtest.h>

#include <winsock2.h>

#include <condition_variable>
#include <fcntl.h>
#include <io.h>
#include <mutex>
#include <thread>

namespace dravo {
namespace {

constexpr auto BOUND = std::chrono::seconds(10);

// Lines and the end as the reader hands them over, waited for with a bound.
struct Collected {
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    std::vector<std::string> m_Lines;
    bool m_Ended = false;

    bool WaitEnded() {
        std::unique_lock lock(m_Mutex);
        return m_Changed.wait_for(lock, BOUND, [this] { return m_Ended; });
    }
    bool WaitLines(size_t count) {
        std::unique_lock lock(m_Mutex);
        return m_Changed.wait_for(lock, BOUND, [&] { return m_Lines.size() >= count; });
    }
};

// A pipe whose read end is a C runtime descriptor, as standard input is.
struct Pipe {
    int m_ReadFd = -1;
    HANDLE m_Write = nullptr;
    Pipe() {
        HANDLE read = nullptr;
        if (CreatePipe(&read, &m_Write, nullptr, 0) != 0) {
            m_ReadFd = _open_osfhandle(reinterpret_cast<intptr_t>(read), _O_RDONLY);
        }
    }
    ~Pipe() {
        CloseWrite();
        if (m_ReadFd >= 0) {
            _close(m_ReadFd);
        }
    }
    void Write(const std::string& text) const {
        DWORD written = 0;
        WriteFile(m_Write, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
    void CloseWrite() {
        if (m_Write != nullptr) {
            CloseHandle(m_Write);
            m_Write = nullptr;
        }
    }
};

// Where the reads and requests block.
BlockingPool& Pool() {
    static BlockingPool pool;
    return pool;
}

TEST(WindowsLineReader, HandsOnEachLineOfAPipeThenTheEnd) {
    Pipe pipe;
    ASSERT_GE(pipe.m_ReadFd, 0);
    Collected collected;
    {
        LineReader reader(
            pipe.m_ReadFd, Pool(),
            [&](std::string line) {
                std::scoped_lock lock(collected.m_Mutex);
                collected.m_Lines.push_back(std::move(line));
                collected.m_Changed.notify_all();
            },
            [&] {
                std::scoped_lock lock(collected.m_Mutex);
                collected.m_Ended = true;
                collected.m_Changed.notify_all();
            });
        pipe.Write("status\r\n/players\nlast");
        pipe.CloseWrite();
        ASSERT_TRUE(collected.WaitEnded());
    }
    EXPECT_EQ(collected.m_Lines, (std::vector<std::string>{"status", "/players", "last"}));
}

TEST(WindowsLineReader, StoppingDoesNotWaitForInputThatNeverComes) {
    Pipe pipe;
    ASSERT_GE(pipe.m_ReadFd, 0);
    Collected collected;
    auto reader = std::make_unique<LineReader>(
        pipe.m_ReadFd, Pool(),
        [&](std::string line) {
            std::scoped_lock lock(collected.m_Mutex);
            collected.m_Lines.push_back(std::move(line));
            collected.m_Changed.notify_all();
        },
        nullptr);
    pipe.Write("one\n");
    ASSERT_TRUE(collected.WaitLines(1));
    reader.reset(); // the writer is still open: the read blocks, and the destructor must not
    pipe.Write("two\n");
    EXPECT_EQ(collected.m_Lines, std::vector<std::string>{"one"}); // nothing after the reader is gone
}

// The reading job itself ends when its reader stops, with the writer still open and nothing written: the
// pool it ran on has no thread left to wait out or abandon at the program's end.
TEST(WindowsLineReader, StoppingEndsTheReadingJobWithoutInput) {
    Pipe pipe;
    ASSERT_GE(pipe.m_ReadFd, 0);
    BlockingPool pool;
    Collected collected;
    auto reader = std::make_unique<LineReader>(
        pipe.m_ReadFd, pool,
        [&](std::string line) {
            std::scoped_lock lock(collected.m_Mutex);
            collected.m_Lines.push_back(std::move(line));
            collected.m_Changed.notify_all();
        },
        nullptr);
    pipe.Write("one\ntw");
    ASSERT_TRUE(collected.WaitLines(1)); // the job is at its next read, with a part of a line kept
    reader.reset();
    EXPECT_TRUE(pool.Shutdown(BOUND)) << "the reading job was still blocked after its reader stopped";
    EXPECT_EQ(collected.m_Lines, std::vector<std::string>{"one"});
}

// A one-connection HTTP server on 127.0.0.1 that answers, or holds the connection without answering.
class OneShotHttpServer {
public:
    explicit OneShotHttpServer(bool answer) {
        WSADATA data{};
        WSAStartup(MAKEWORD(2, 2), &data);
        m_Listen = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int size = sizeof address;
        if (bind(m_Listen, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(m_Listen, 4) != 0 ||
            getsockname(m_Listen, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
            return;
        }
        m_Port = ntohs(address.sin_port);
        m_Thread = std::thread([this, answer] { Serve(answer); });
    }
    ~OneShotHttpServer() {
        {
            std::scoped_lock lock(m_Mutex);
            m_Stopping = true;
        }
        m_Arrived.notify_all();
        closesocket(m_Listen); // ends a waiting accept
        if (m_Thread.joinable()) {
            m_Thread.join();
        }
        WSACleanup();
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(m_Port) + "/servers/server.asp?x=1"; }
    std::string Request() {
        std::scoped_lock lock(m_Mutex);
        return m_Request;
    }
    // Waits, with a bound, until the whole request has arrived.
    bool WaitRequest() {
        std::unique_lock lock(m_Mutex);
        return m_Arrived.wait_for(lock, BOUND, [this] { return !m_Request.empty(); });
    }

private:
    void Serve(bool answer) {
        const SOCKET client = accept(m_Listen, nullptr, nullptr);
        if (client == INVALID_SOCKET) {
            return;
        }
        std::string request;
        char buffer[2048];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const int got = recv(client, buffer, sizeof buffer, 0);
            if (got <= 0) {
                break;
            }
            request.append(buffer, static_cast<size_t>(got));
        }
        {
            std::scoped_lock lock(m_Mutex);
            m_Request = request;
        }
        m_Arrived.notify_all();
        if (answer) {
            const std::string ok = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nOK";
            send(client, ok.data(), static_cast<int>(ok.size()), 0);
        } else {
            // Held without an answer until the test ends.
            std::unique_lock lock(m_Mutex);
            m_Arrived.wait(lock, [this] { return m_Stopping; });
        }
        closesocket(client);
    }

    SOCKET m_Listen = INVALID_SOCKET;
    uint16_t m_Port = 0;
    std::mutex m_Mutex;
    std::condition_variable m_Arrived;
    std::string m_Request;
    bool m_Stopping = false;
    std::thread m_Thread;
};

TEST(WindowsHttpGet, AnAnsweringServerGetsTheRequestWithTheUserAgent) {
    OneShotHttpServer server(true);
    const std::atomic<bool> abort{false};
    EXPECT_TRUE(HttpGet(server.Url(), abort, Pool()));
    const std::string request = server.Request();
    EXPECT_EQ(request.rfind("GET /servers/server.asp?x=1 HTTP/1.1\r\n", 0), 0u) << request;
    EXPECT_NE(request.find("\r\nUser-Agent: Dravo\r\n"), std::string::npos) << request;
}

TEST(WindowsHttpGet, ASilentServerIsGivenUpAtTheTotalBound) {
    OneShotHttpServer server(false);
    const std::atomic<bool> abort{false};
    const HttpLimits limits{std::chrono::milliseconds(3000), std::chrono::milliseconds(400)};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(HttpGet(server.Url(), abort, Pool(), limits));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3)); // not the connect bound
}

TEST(WindowsHttpGet, AbortEndsTheRequestAndBadUrlsAreRefused) {
    OneShotHttpServer server(false);
    std::atomic<bool> abort{false};
    std::thread aborter([&] {
        EXPECT_TRUE(server.WaitRequest()); // the request is under way: now the operator shuts down
        abort = true;
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(HttpGet(server.Url(), abort, Pool()));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3)); // not the 5 s bound
    aborter.join();
    const std::atomic<bool> keepGoing{false};
    EXPECT_FALSE(HttpGet("ftp://127.0.0.1/", keepGoing, Pool()));
    EXPECT_FALSE(HttpGet("not a url", keepGoing, Pool()));
}

} // namespace
} // namespace dravo
