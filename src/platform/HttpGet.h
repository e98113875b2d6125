// HttpGet: one plain HTTP GET whose answer is read and thrown away.
//
// User agent "Dravo", direct access (no proxy, whatever the environment says),
// http and https only, no redirects followed; 3 s to connect and 5 s in all.
// Blocks its caller (the registration sender thread) for at most that long, and
// gives up within about POLL_SLICE_MS once `abort` is set.
#pragma once

#include <atomic>
#include <chrono>
#include <string>

namespace dravo {

inline constexpr const char* HTTP_USER_AGENT = "Dravo";
constexpr std::chrono::milliseconds HTTP_CONNECT_LIMIT{3000};
constexpr std::chrono::milliseconds HTTP_TOTAL_LIMIT{5000};
constexpr int POLL_SLICE_MS = 50;

// True when the server answered (any status); false for a bad URL, no connection, a timeout or an abort.
bool HttpGet(const std::string& url, const std::atomic<bool>& abort);

} // namespace dravo
