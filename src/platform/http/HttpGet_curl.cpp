// A single GET over libcurl: a request whose answer is not kept, which libcurl's multi interface gives up
// at once, so nothing is left for the pool.
#include "platform/http/HttpGet.h"
#include "platform/http/HttpRequest.h"

namespace dravo {

bool HttpGet(const std::string& url, const std::atomic<bool>& abort, BlockingPool& pool, const HttpLimits& limits) {
    HttpCall call;
    call.m_Url = url;
    call.m_MaxAnswerBytes = 0; // the status line is the answer; the body is not read
    return HttpRequest(call, abort, pool, limits).m_Answered;
}

} // namespace dravo
