// A single GET over WinINet. WinINet's calls block, and closing a handle from another thread does not end
// a blocked call everywhere (Wine's does not), so the request runs on a thread of its own while the
// caller holds the limits and the abort flag: when one is reached the caller closes the session handle
// (which ends the request where the system allows it), gives the request up and returns. The request
// thread keeps what it shares with the caller alive and ends on its own.
#include "platform/HttpGet.h"

#include "platform/DetachedThread.h"
#include "platform/Text.h"

#include <windows.h>

#include <wininet.h>

#include <condition_variable>
#include <memory>
#include <mutex>

namespace dravo {
namespace {

constexpr DWORD REQUEST_FLAGS = INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD |
                                INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI |
                                INTERNET_FLAG_NO_AUTH;

// What the caller and the request thread share.
struct Request {
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    bool m_Done = false;                  // the request thread has finished
    bool m_Answered = false;              // ...and the server answered
    std::atomic<bool> m_Connected{false}; // the server's address was found and the connection made
};

void CALLBACK OnStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID, DWORD) {
    if (context != 0 && (status == INTERNET_STATUS_CONNECTED_TO_SERVER || status == INTERNET_STATUS_REQUEST_SENT)) {
        reinterpret_cast<Request*>(context)->m_Connected = true;
    }
}

void SetTimeout(HINTERNET session, DWORD option, std::chrono::milliseconds limit) {
    DWORD milliseconds = static_cast<DWORD>(limit.count());
    InternetSetOptionA(session, option, &milliseconds, sizeof milliseconds);
}

// On the request thread: the GET, its answer read and thrown away.
void Perform(const std::shared_ptr<Request>& request, HINTERNET session, const std::string& url) {
    HINTERNET handle =
        InternetOpenUrlA(session, url.c_str(), nullptr, 0, REQUEST_FLAGS, reinterpret_cast<DWORD_PTR>(request.get()));
    bool answered = handle != nullptr;
    if (handle != nullptr) {
        char body[4096];
        DWORD got = 0;
        do {
            if (InternetReadFile(handle, body, sizeof body, &got) == 0) {
                answered = false;
                break;
            }
        } while (got > 0);
        InternetCloseHandle(handle);
    }
    {
        std::scoped_lock lock(request->m_Mutex);
        request->m_Done = true;
        request->m_Answered = answered;
    }
    request->m_Changed.notify_all();
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

    auto request = std::make_shared<Request>();
    if (!StartDetachedThread([request, session, url] { Perform(request, session, url); })) {
        InternetCloseHandle(session);
        return false;
    }
    const auto start = std::chrono::steady_clock::now();
    std::unique_lock lock(request->m_Mutex);
    while (!request->m_Done) {
        const auto elapsed = std::chrono::steady_clock::now() - start;
        if (abort || elapsed >= limits.m_Total || (!request->m_Connected && elapsed >= limits.m_Connect)) {
            lock.unlock();
            InternetCloseHandle(session); // the request is given up; its thread ends by itself
            return false;
        }
        request->m_Changed.wait_for(lock, std::chrono::milliseconds(POLL_SLICE_MS));
    }
    const bool answered = request->m_Answered;
    lock.unlock();
    InternetSetStatusCallbackA(session, nullptr);
    InternetCloseHandle(session);
    return answered;
}

} // namespace dravo
