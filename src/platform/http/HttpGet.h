// HttpGet: one plain HTTP GET whose answer is read and thrown away.
//
// User agent "Dravo", direct access (no proxy, whatever the environment says),
// http and https only, no redirects followed; by default 3 s to look the name up
// and connect, 5 s in all. Blocks its caller (the registration sender thread) for
// at most that long, and gives up within about POLL_SLICE_MS once `abort` is set.
// Where the system's calls cannot be cut short (WinINet), the request runs as a
// job on `pool`: requests leave one at a time, in the order asked, and one given
// up before it began never leaves, so that a request given up never reaches a
// server after a later one.
#pragma once

#include "platform/os/BlockingPool.h"

#include <atomic>
#include <chrono>
#include <string>

namespace dravo {

inline constexpr const char* HTTP_USER_AGENT = "Dravo";
constexpr int POLL_SLICE_MS = 50;

struct HttpLimits {
    std::chrono::milliseconds m_Connect{3000}; // the name lookup and the connection
    std::chrono::milliseconds m_Total{5000};   // the whole request
};

// True when the server answered (any status); false for a bad URL, no connection, a timeout or an abort.
// Where the request must block, it does so on `pool`.
bool HttpGet(const std::string& url, const std::atomic<bool>& abort, BlockingPool& pool, const HttpLimits& limits = {});

} // namespace dravo
