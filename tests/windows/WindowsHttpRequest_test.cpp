// WinINet requests with a body and streamed GETs against a one-connection server on 127.0.0.1: what goes
// out, the status and body that come back, the bound on an answer, and the ends of an open stream.
#include "platform/http/HttpRequest.h"

#include <gtest/gtest.h>

#include <winsock2.h>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace dravo {
namespace {

using namespace std::chrono_literals;

// Takes one connection, reads one request with its body, sends `answer` and then closes, or holds the
// connection open until the test ends.
class ScriptedHttpServer {
public:
    ScriptedHttpServer(std::string answer, bool holdOpen) {
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
        m_Thread = std::thread([this, answer = std::move(answer), holdOpen] { Serve(answer, holdOpen); });
    }
    ~ScriptedHttpServer() {
        {
            std::scoped_lock lock(m_Mutex);
            m_Stopping = true;
        }
        m_Changed.notify_all();
        closesocket(m_Listen);
        if (m_Thread.joinable()) {
            m_Thread.join();
        }
        WSACleanup();
    }
    std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(m_Port) + path; }
    std::string Request() {
        std::unique_lock lock(m_Mutex);
        m_Changed.wait_for(lock, 10s, [this] { return !m_Request.empty(); });
        return m_Request;
    }

private:
    void Serve(const std::string& answer, bool holdOpen) {
        const SOCKET client = accept(m_Listen, nullptr, nullptr);
        if (client == INVALID_SOCKET) {
            return;
        }
        std::string request;
        char buffer[2048];
        for (;;) {
            const size_t headers = request.find("\r\n\r\n");
            if (headers != std::string::npos) {
                const size_t field = request.find("Content-Length: ");
                const size_t length = field == std::string::npos ? 0 : std::stoul(request.substr(field + 16));
                if (request.size() >= headers + 4 + length) {
                    break;
                }
            }
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
        m_Changed.notify_all();
        send(client, answer.data(), static_cast<int>(answer.size()), 0);
        if (holdOpen) {
            std::unique_lock lock(m_Mutex);
            m_Changed.wait(lock, [this] { return m_Stopping; });
        }
        closesocket(client);
    }

    SOCKET m_Listen = INVALID_SOCKET;
    uint16_t m_Port = 0;
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    std::string m_Request;
    bool m_Stopping = false;
    std::thread m_Thread;
};

// Where the requests block.
BlockingPool& Pool() {
    static BlockingPool pool;
    return pool;
}

TEST(WindowsHttpRequest, APutWithABodyAndItsAnswer) {
    ScriptedHttpServer server("HTTP/1.1 200 OK\r\nContent-Length: 12\r\nConnection: close\r\n\r\n{\"ok\":\"yes\"}",
                              false);
    const std::atomic<bool> abort{false};
    const std::string body = R"({"key":"level","value":"Frostline"})";
    const HttpAnswer answer = HttpRequest({"PUT", server.Url("/metadata/label"), body}, abort, Pool());
    EXPECT_TRUE(answer.m_Answered);
    EXPECT_EQ(answer.m_Status, 200);
    EXPECT_EQ(answer.m_Body, "{\"ok\":\"yes\"}");
    const std::string request = server.Request();
    EXPECT_EQ(request.rfind("PUT /metadata/label HTTP/1.1\r\n", 0), 0u) << request;
    EXPECT_NE(request.find("Content-Type: application/json\r\n"), std::string::npos) << request;
    EXPECT_NE(request.find("User-Agent: Dravo\r\n"), std::string::npos) << request;
    EXPECT_EQ(request.substr(request.size() - body.size()), body);
}

TEST(WindowsHttpRequest, AFailureStatusIsAnAnswerAndALongBodyIsCut) {
    ScriptedHttpServer failing(
        "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 5\r\nConnection: close\r\n\r\noops!", false);
    const std::atomic<bool> abort{false};
    const HttpAnswer refused = HttpRequest({"POST", failing.Url("/ready"), "{}"}, abort, Pool());
    EXPECT_TRUE(refused.m_Answered);
    EXPECT_EQ(refused.m_Status, 500);
    ScriptedHttpServer talkative("HTTP/1.1 200 OK\r\nContent-Length: 26\r\nConnection: close\r\n\r\n"
                                 "abcdefghijklmnopqrstuvwxyz",
                                 false);
    HttpCall call{"GET", talkative.Url("/gameserver"), ""};
    call.m_MaxAnswerBytes = 10;
    const HttpAnswer cut = HttpRequest(call, abort, Pool());
    EXPECT_TRUE(cut.m_Cut);
    EXPECT_EQ(cut.m_Body, "abcdefghij");
}

TEST(WindowsHttpStream, PiecesOfAnOpenStreamArriveAndTheHandlerEndsIt) {
    ScriptedHttpServer server("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n6\r\nfirst\n\r\n7\r\nsecond\n\r\n",
                              true);
    const std::atomic<bool> abort{false};
    std::string seen;
    const HttpAnswer answer = HttpStream(
        server.Url("/watch/gameserver"),
        [&](std::string_view piece) {
            seen.append(piece);
            return seen.find("second\n") == std::string::npos;
        },
        abort, Pool(), HttpLimits{2000ms, 20000ms});
    EXPECT_TRUE(answer.m_Answered);
    EXPECT_EQ(answer.m_Status, 200);
    EXPECT_EQ(seen, "first\nsecond\n");
}

TEST(WindowsHttpStream, AnAbortEndsAnOpenStream) {
    ScriptedHttpServer server("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n6\r\nfirst\n\r\n", true);
    std::atomic<bool> abort{false};
    const auto start = std::chrono::steady_clock::now();
    const HttpAnswer answer = HttpStream(
        server.Url("/watch/gameserver"),
        [&](std::string_view) {
            abort = true;
            return true;
        },
        abort, Pool(), HttpLimits{2000ms, 20000ms});
    EXPECT_TRUE(answer.m_Answered);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s); // not the 20 s bound
}

} // namespace
} // namespace dravo
