// A single GET over WinINet. WinINet's calls block, and closing a handle from another thread does not end
// a blocked call everywhere (Wine's does not), so the request runs as a job on the blocking pool while the
// caller holds the limits and the abort flag; when one is reached the caller gives the request up and
// returns. The job opens and closes its own session handle: the caller never touches it, so no handle
// number is closed under a request or reused by the next one. Jobs take their turn one at a time, in the
// order they were begun, and a job given up before its turn sends nothing: a request given up while
// under way ends (by WinINet's own timeouts) before the next one leaves.
#include "platform/http/HttpGet.h"

#include "platform/http/WinInetSession.h"
#include "platform/os/Text.h"

#include <condition_variable>
#include <memory>
#include <mutex>

namespace dravo {
namespace {

// Requests given up and still under way, or waiting for their turn, beyond which a new one fails at once.
constexpr int MAX_OUTSTANDING = 4;

// What the caller and the job share.
struct Request : WinInetContext {
    Request(std::string url, const HttpLimits& limits) : m_Url(std::move(url)), m_Limits(limits) {}

    const std::string m_Url;
    const HttpLimits m_Limits;
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    bool m_Done = false;     // the job has finished
    bool m_Answered = false; // ...and the server answered
    bool m_GivenUp = false;  // the caller has returned: send nothing more
};

// The turn of the requests, and how many jobs hold or wait for it. Never destroyed: a job given up may
// still take its turn while the program ends.
struct Turns {
    std::mutex m_Turn;
    std::atomic<int> m_Outstanding{0};
};

Turns& RequestTurns() {
    static Turns* turns = new Turns;
    return *turns;
}

bool GivenUp(Request& request) {
    std::scoped_lock lock(request.m_Mutex);
    return request.m_GivenUp;
}

// The GET on the session, its answer read and thrown away; true when the server answered.
bool Fetch(Request& request, HINTERNET session) {
    HINTERNET handle = InternetOpenUrlA(session, request.m_Url.c_str(), nullptr, 0, WININET_REQUEST_FLAGS,
                                        WinInetContextValue(request));
    if (handle == nullptr) {
        return false;
    }
    bool answered = true;
    char body[4096];
    DWORD got = 0;
    do {
        if (InternetReadFile(handle, body, sizeof body, &got) == 0) {
            answered = false;
            break;
        }
    } while (got > 0);
    InternetCloseHandle(handle);
    return answered;
}

// The job: waits for its turn, then makes the request unless the caller has given it up by then.
void Perform(const std::shared_ptr<Request>& request) {
    bool answered = false;
    {
        std::scoped_lock turn(RequestTurns().m_Turn);
        HINTERNET session = GivenUp(*request) ? nullptr : OpenWinInetSession(request->m_Limits);
        if (session != nullptr) {
            answered = !GivenUp(*request) && Fetch(*request, session);
            CloseWinInetSession(session);
        }
    }
    --RequestTurns().m_Outstanding;
    {
        std::scoped_lock lock(request->m_Mutex);
        request->m_Done = true;
        request->m_Answered = answered;
    }
    request->m_Changed.notify_all();
}

} // namespace

bool HttpGet(const std::string& url, const std::atomic<bool>& abort, BlockingPool& pool, const HttpLimits& limits) {
    if (!StartsWithNoCase(url, "http://") && !StartsWithNoCase(url, "https://")) {
        return false;
    }
    Turns& turns = RequestTurns();
    if (++turns.m_Outstanding > MAX_OUTSTANDING) {
        --turns.m_Outstanding; // too many given up and not yet ended: this one fails at once
        return false;
    }
    auto request = std::make_shared<Request>(url, limits);
    if (!pool.Submit([request] { Perform(request); })) {
        --turns.m_Outstanding;
        return false;
    }
    const auto start = std::chrono::steady_clock::now();
    std::unique_lock lock(request->m_Mutex);
    while (!request->m_Done) {
        const auto elapsed = std::chrono::steady_clock::now() - start;
        if (abort || elapsed >= limits.m_Total || (!request->m_Connected && elapsed >= limits.m_Connect)) {
            request->m_GivenUp = true; // the job ends by itself, sending nothing it has not sent yet
            return false;
        }
        request->m_Changed.wait_for(lock, std::chrono::milliseconds(POLL_SLICE_MS));
    }
    return request->m_Answered;
}

} // namespace dravo
