// WinInetSession: what the WinINet requests share (Windows only): the request flags, and a session of a
// request job's own, with the request's limits and a status callback that marks the connection made.
//
// Contract. The job that opens a session closes it (CloseWinInetSession), on its own thread; the caller
// never touches it. The context handed to the request calls is the job's WinInetContext, which outlives
// the session.
#pragma once

#include "platform/http/HttpGet.h"

#include <windows.h>

#include <wininet.h>

#include <atomic>

namespace dravo {

constexpr DWORD WININET_REQUEST_FLAGS = INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_CACHE_WRITE |
                                        INTERNET_FLAG_RELOAD | INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_COOKIES |
                                        INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_AUTH;

struct WinInetContext {
    std::atomic<bool> m_Connected{false}; // the server's address was found and the connection made
};

// The context value of a request call for `context`.
inline DWORD_PTR WinInetContextValue(WinInetContext& context) {
    return reinterpret_cast<DWORD_PTR>(&context);
}

// Direct access (no proxy, whatever the system's settings say), with the limits; null when none opened.
HINTERNET OpenWinInetSession(const HttpLimits& limits);
void CloseWinInetSession(HINTERNET session);

} // namespace dravo
