// A single GET over WinINet. The call blocks, so a watch thread holds the limits and the abort flag: when
// one of them is reached it closes the session handle, which ends the blocked call at once.
#include "platform/HttpGet.h"

#include "platform/Text.h"

#include <windows.h>

#include <wininet.h>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace dravo {
namespace {

constexpr DWORD REQUEST_FLAGS = INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD |
                                INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI |
                                INTERNET_FLAG_NO_AUTH;

// What the request and its watch share.
struct Watch {
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    bool m_Done = false;                  // the request has finished; the watch ends
    bool m_Closed = false;                // the watch has closed the session
    std::atomic<bool> m_Connected{false}; // the server's address was found and the connection made
};

void CALLBACK OnStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID, DWORD) {
    if (context != 0 && (status == INTERNET_STATUS_CONNECTED_TO_SERVER || status == INTERNET_STATUS_REQUEST_SENT)) {
        reinterpret_cast<Watch*>(context)->m_Connected = true;
    }
}

void SetTimeout(HINTERNET session, DWORD option, std::chrono::milliseconds limit) {
    DWORD milliseconds = static_cast<DWORD>(limit.count());
    InternetSetOptionA(session, option, &milliseconds, sizeof milliseconds);
}

} // namespace

bool HttpGet(const std::string& url, const std::atomic<bool>& abort, const HttpLimits& limits) {
    if (!StartsWithNoCase(url, "http://") && !StartsWithNoCase(url, "https://")) {
        return false;
    }
    // Direct access: no proxy, whatever the system's settings say.
    HINTERNET session = InternetOpenA(HTTP_USER_AGENT, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    if (session == nullptr) {
        return false;
    }
    SetTimeout(session, INTERNET_OPTION_CONNECT_TIMEOUT, limits.m_Connect);
    SetTimeout(session, INTERNET_OPTION_SEND_TIMEOUT, limits.m_Total);
    SetTimeout(session, INTERNET_OPTION_RECEIVE_TIMEOUT, limits.m_Total);
    DWORD retries = 1;
    InternetSetOptionA(session, INTERNET_OPTION_CONNECT_RETRIES, &retries, sizeof retries);
    InternetSetStatusCallbackA(session, &OnStatus);

    Watch watch;
    const auto start = std::chrono::steady_clock::now();
    std::thread watcher([&] {
        std::unique_lock lock(watch.m_Mutex);
        while (!watch.m_Done) {
            const auto elapsed = std::chrono::steady_clock::now() - start;
            if (abort || elapsed >= limits.m_Total || (!watch.m_Connected && elapsed >= limits.m_Connect)) {
                watch.m_Closed = true;
                InternetCloseHandle(session); // the blocked call returns with an error
                return;
            }
            watch.m_Changed.wait_for(lock, std::chrono::milliseconds(POLL_SLICE_MS));
        }
    });

    HINTERNET request =
        InternetOpenUrlA(session, url.c_str(), nullptr, 0, REQUEST_FLAGS, reinterpret_cast<DWORD_PTR>(&watch));
    bool answered = request != nullptr;
    if (request != nullptr) {
        char body[4096];
        DWORD got = 0;
        for (;;) {
            if (InternetReadFile(request, body, sizeof body, &got) == 0) {
                answered = false;
                break;
            }
            if (got == 0) {
                break;
            }
        }
        InternetCloseHandle(request);
    }
    bool closed = false;
    {
        std::scoped_lock lock(watch.m_Mutex);
        watch.m_Done = true;
        closed = watch.m_Closed;
    }
    watch.m_Changed.notify_all();
    watcher.join();
    if (!closed) {
        InternetSetStatusCallbackA(session, nullptr);
        InternetCloseHandle(session);
    }
    return answered && !closed;
}

} // namespace dravo
