// Requests with a body and streamed GETs over WinINet. As for HttpGet, the blocking calls run as a job on
// the blocking pool while the caller holds the limits and the abort flag; the body comes back to the caller
// piece by piece through what they share, at most MAX_WAITING_BYTES at a time, so that the stream's handler
// runs on the caller's thread. The job opens and closes its own session handle, so the caller never closes
// a handle under a request. When a limit is reached the caller marks the exchange stopped and returns; the
// job keeps what it shares alive, sends nothing it has not sent yet, and ends by WinINet's own timeouts.
#include "platform/http/HttpRequest.h"

#include "platform/http/WinInetSession.h"
#include "platform/os/BlockingPool.h"
#include "platform/os/Text.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace dravo {
namespace {

constexpr size_t MAX_WAITING_BYTES = size_t{256} * 1024;

// What the caller and the request thread share.
struct Exchange : WinInetContext {
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    std::string m_Waiting; // body bytes read and not yet taken by the caller
    bool m_Done = false;   // the request thread has finished
    bool m_Stop = false;   // the caller wants no more
    int m_Status = 0;      // the answer's status, once its headers came
    bool m_Failed = false; // a read failed before the end
};

struct Target {
    std::string m_Host;
    std::string m_Path;
    INTERNET_PORT m_Port = 0;
    bool m_Secure = false;
};

bool CrackUrl(const std::string& url, Target& target) {
    char host[256] = {};
    char path[2048] = {};
    URL_COMPONENTSA parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof host;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = sizeof path;
    if (InternetCrackUrlA(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts) == 0 || host[0] == '\0') {
        return false;
    }
    target.m_Host = host;
    target.m_Path = path[0] == '\0' ? "/" : path;
    target.m_Port = parts.nPort;
    target.m_Secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    return true;
}

int StatusOf(HINTERNET request) {
    DWORD status = 0;
    DWORD size = sizeof status;
    if (HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) == 0) {
        return 0;
    }
    return static_cast<int>(status);
}

// Reads the body into the exchange, waiting while the caller has not taken what is there. A synchronous
// InternetReadFile waits until it has filled the whole buffer, so each read asks only for what has
// arrived: a stream's pieces come as they are sent.
void ReadBody(const std::shared_ptr<Exchange>& exchange, HINTERNET request) {
    char piece[4096];
    for (;;) {
        DWORD available = 0;
        if (InternetQueryDataAvailable(request, &available, 0, 0) == 0) {
            std::scoped_lock lock(exchange->m_Mutex);
            exchange->m_Failed = true;
            return;
        }
        if (available == 0) {
            return; // the end of the body
        }
        DWORD got = 0;
        const DWORD wanted = available < sizeof piece ? available : static_cast<DWORD>(sizeof piece);
        if (InternetReadFile(request, piece, wanted, &got) == 0) {
            std::scoped_lock lock(exchange->m_Mutex);
            exchange->m_Failed = true;
            return;
        }
        if (got == 0) {
            return;
        }
        std::unique_lock lock(exchange->m_Mutex);
        exchange->m_Changed.wait(lock,
                                 [&] { return exchange->m_Stop || exchange->m_Waiting.size() < MAX_WAITING_BYTES; });
        if (exchange->m_Stop) {
            return;
        }
        exchange->m_Waiting.append(piece, got);
        exchange->m_Changed.notify_all();
    }
}

bool Stopped(Exchange& exchange) {
    std::scoped_lock lock(exchange.m_Mutex);
    return exchange.m_Stop;
}

// Connect, send, read the status and the body.
void Send(const std::shared_ptr<Exchange>& exchange, HINTERNET session, const Target& target, const HttpCall& call) {
    const auto context = WinInetContextValue(*exchange);
    HINTERNET connection = InternetConnectA(session, target.m_Host.c_str(), target.m_Port, nullptr, nullptr,
                                            INTERNET_SERVICE_HTTP, 0, context);
    HINTERNET request =
        connection == nullptr
            ? nullptr
            : HttpOpenRequestA(connection, call.m_Method.c_str(), target.m_Path.c_str(), nullptr, nullptr, nullptr,
                               WININET_REQUEST_FLAGS | (target.m_Secure ? INTERNET_FLAG_SECURE : 0), context);
    const std::string headers = call.m_Method == "GET" ? "" : "Content-Type: application/json\r\n";
    if (request != nullptr &&
        HttpSendRequestA(request, headers.empty() ? nullptr : headers.c_str(), static_cast<DWORD>(headers.size()),
                         call.m_Body.empty() ? nullptr : const_cast<char*>(call.m_Body.data()),
                         static_cast<DWORD>(call.m_Body.size())) != 0) {
        {
            std::scoped_lock lock(exchange->m_Mutex);
            exchange->m_Status = StatusOf(request);
        }
        exchange->m_Changed.notify_all();
        ReadBody(exchange, request);
    }
    if (request != nullptr) {
        InternetCloseHandle(request);
    }
    if (connection != nullptr) {
        InternetCloseHandle(connection);
    }
}

// The job: a session of its own for the request, unless the caller has stopped waiting by then.
void Perform(const std::shared_ptr<Exchange>& exchange, const Target& target, const HttpCall& call,
             const HttpLimits& limits) {
    HINTERNET session = Stopped(*exchange) ? nullptr : OpenWinInetSession(limits);
    if (session != nullptr) {
        if (!Stopped(*exchange)) {
            Send(exchange, session, target, call);
        }
        CloseWinInetSession(session);
    }
    std::scoped_lock lock(exchange->m_Mutex);
    exchange->m_Done = true;
    exchange->m_Changed.notify_all();
}

// The caller's side: hands the body to `take` as it comes, within the limits. `take` returns false to stop.
HttpAnswer RunExchange(const HttpCall& call, const std::function<bool(std::string_view)>& take,
                       const std::atomic<bool>& abort, BlockingPool& pool, const HttpLimits& limits) {
    HttpAnswer answer;
    Target target;
    if ((!StartsWithNoCase(call.m_Url, "http://") && !StartsWithNoCase(call.m_Url, "https://")) ||
        !CrackUrl(call.m_Url, target)) {
        return answer;
    }
    auto exchange = std::make_shared<Exchange>();
    if (!pool.Submit([exchange, target, call, limits] { Perform(exchange, target, call, limits); })) {
        return answer;
    }
    const auto start = std::chrono::steady_clock::now();
    std::unique_lock lock(exchange->m_Mutex);
    bool complete = false;
    for (;;) {
        if (!exchange->m_Waiting.empty()) {
            std::string piece = std::move(exchange->m_Waiting);
            exchange->m_Waiting.clear();
            exchange->m_Changed.notify_all();
            lock.unlock();
            const bool more = take(piece);
            lock.lock();
            if (!more) {
                answer.m_Cut = true;
                break;
            }
            continue;
        }
        if (exchange->m_Done) {
            complete = !exchange->m_Failed;
            break;
        }
        const auto elapsed = std::chrono::steady_clock::now() - start;
        if (abort || elapsed >= limits.m_Total || (!exchange->m_Connected && elapsed >= limits.m_Connect)) {
            break;
        }
        exchange->m_Changed.wait_for(lock, std::chrono::milliseconds(POLL_SLICE_MS));
    }
    exchange->m_Stop = true;
    answer.m_Status = exchange->m_Status;
    exchange->m_Changed.notify_all(); // a request still running is given up; its job ends by itself
    lock.unlock();
    answer.m_Answered = answer.m_Status > 0 && (complete || answer.m_Cut);
    return answer;
}

} // namespace

HttpAnswer HttpRequest(const HttpCall& call, const std::atomic<bool>& abort, BlockingPool& pool,
                       const HttpLimits& limits) {
    std::string body;
    bool cut = false;
    HttpAnswer answer = RunExchange(
        call,
        [&](std::string_view piece) {
            if (body.size() + piece.size() > call.m_MaxAnswerBytes) {
                body.append(piece.substr(0, call.m_MaxAnswerBytes - body.size()));
                cut = true;
                return false;
            }
            body.append(piece);
            return true;
        },
        abort, pool, limits);
    answer.m_Body = std::move(body);
    answer.m_Cut = cut;
    return answer;
}

HttpAnswer HttpStream(const std::string& url, const HttpChunkHandler& handler, const std::atomic<bool>& abort,
                      BlockingPool& pool, const HttpLimits& limits) {
    HttpCall call;
    call.m_Url = url;
    HttpAnswer answer = RunExchange(call, handler, abort, pool, limits);
    // A stream that stays open until the limit or an abort still had its answer.
    answer.m_Answered = answer.m_Status > 0;
    return answer;
}

} // namespace dravo
