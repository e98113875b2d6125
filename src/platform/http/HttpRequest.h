// HttpRequest and HttpStream: HTTP requests with a body and an answer that is read, for clients of small
// local REST services (the fleet sidecar).
//
// Same rules as HttpGet: user agent "Dravo", direct access (no proxy), http and https only, no
// redirects, the connect and total limits of HttpLimits, and an end within about POLL_SLICE_MS once
// `abort` is set. Each call blocks its caller (a thread of the service's own) for at most the total
// limit. The answer's body is kept up to a bound; a longer one is cut there and the request ends.
#pragma once

#include "platform/http/HttpGet.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace dravo {

constexpr size_t DEFAULT_ANSWER_BYTES = size_t{64} * 1024;

struct HttpCall {
    std::string m_Method = "GET"; // GET, POST, PUT or PATCH
    std::string m_Url;
    std::string m_Body;                             // sent as application/json when the method is not GET
    size_t m_MaxAnswerBytes = DEFAULT_ANSWER_BYTES; // the body kept of the answer
};

struct HttpAnswer {
    bool m_Answered = false; // the server sent an HTTP status line (m_Status holds it)
    int m_Status = 0;
    std::string m_Body; // the answer's body, at most the call's bound
    bool m_Cut = false; // the body went on past the bound (or past what the stream handler took)
};

// Called with each piece of an answer's body as it arrives; false ends the request.
using HttpChunkHandler = std::function<bool(std::string_view piece)>;

// One request; m_Answered is false for a bad URL, no connection, a timeout or an abort (or, on POSIX
// systems, when libcurl cannot be loaded: it is loaded with the first request). Where the request must block
// (the Windows system's calls), it does so on `pool`.
HttpAnswer HttpRequest(const HttpCall& call, const std::atomic<bool>& abort, BlockingPool& pool,
                       const HttpLimits& limits = {});

// A GET whose body is handed over piece by piece while it arrives (a watch that stays open). Ends when the
// server closes, the handler returns false, the total limit passes, or `abort` is set. The answer's
// status is in the result; its body is not kept.
HttpAnswer HttpStream(const std::string& url, const HttpChunkHandler& handler, const std::atomic<bool>& abort,
                      BlockingPool& pool, const HttpLimits& limits);

} // namespace dravo
