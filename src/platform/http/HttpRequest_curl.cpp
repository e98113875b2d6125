// Requests with a body and streamed GETs over libcurl's multi interface, so that they can be abandoned at once.
#include "platform/http/HttpRequest.h"

#include "platform/http/CurlHandles.h"

#include <memory>

namespace dravo {
namespace {

// Where the body goes while the transfer runs.
struct Sink {
    const HttpChunkHandler* m_Handler = nullptr; // a stream's handler, or null to keep the body
    std::string* m_Body = nullptr;
    size_t m_Max = 0;
    bool m_Cut = false;
};

size_t TakeBody(char* data, size_t size, size_t count, void* context) {
    auto* sink = static_cast<Sink*>(context);
    const size_t bytes = size * count;
    if (sink->m_Handler != nullptr) {
        if (!(*sink->m_Handler)(std::string_view(data, bytes))) {
            sink->m_Cut = true;
            return 0; // ends the transfer
        }
        return bytes;
    }
    if (sink->m_Body->size() + bytes > sink->m_Max) {
        sink->m_Body->append(data, sink->m_Max - sink->m_Body->size());
        sink->m_Cut = true;
        return 0;
    }
    sink->m_Body->append(data, bytes);
    return bytes;
}

bool Configure(const CurlApi& curl, CURL* easy, const HttpCall& call, const HttpLimits& limits, curl_slist* headers,
               Sink& sink) {
    const auto set = curl.m_EasySetopt;
    using WriteFunction = size_t (*)(char*, size_t, size_t, void*);
    const WriteFunction write = &TakeBody;
    // The name lookup runs on libcurl's resolver thread, within the connect limit; a lookup that never
    // ends is left behind at cleanup instead of being waited for (where libcurl knows how).
    (void)set(easy, CURLOPT_QUICK_EXIT, 1L);
    bool ok = set(easy, CURLOPT_URL, call.m_Url.c_str()) == CURLE_OK &&
              set(easy, CURLOPT_USERAGENT, HTTP_USER_AGENT) == CURLE_OK && set(easy, CURLOPT_PROXY, "") == CURLE_OK &&
              set(easy, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK &&
              set(easy, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
              set(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.m_Connect.count())) == CURLE_OK &&
              set(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(limits.m_Total.count())) == CURLE_OK &&
              set(easy, CURLOPT_WRITEFUNCTION, write) == CURLE_OK && set(easy, CURLOPT_WRITEDATA, &sink) == CURLE_OK &&
              set(easy, CURLOPT_HTTPHEADER, headers) == CURLE_OK;
    if (ok && call.m_Method != "GET") {
        ok = set(easy, CURLOPT_POSTFIELDSIZE, static_cast<long>(call.m_Body.size())) == CURLE_OK &&
             set(easy, CURLOPT_POSTFIELDS, call.m_Body.c_str()) == CURLE_OK &&
             set(easy, CURLOPT_CUSTOMREQUEST, call.m_Method.c_str()) == CURLE_OK;
    }
    return ok;
}

// Runs the transfer until it ends or `abort` is set; the answer's status when one came.
HttpAnswer Perform(const HttpCall& call, Sink& sink, const std::atomic<bool>& abort, const HttpLimits& limits) {
    HttpAnswer answer;
    const CurlApi* curl = Curl();
    if (curl == nullptr) {
        return answer; // no libcurl here: no request can be made
    }
    CurlList headers(curl->m_SlistAppend(nullptr, "Expect:")); // no 100-continue round trip
    if (call.m_Method != "GET" && headers) {
        curl->m_SlistAppend(headers.get(), "Content-Type: application/json");
    }
    const CurlEasy easy(curl->m_EasyInit());
    const CurlMulti multi(curl->m_MultiInit());
    if (!headers || !easy || !multi || !Configure(*curl, easy.get(), call, limits, headers.get(), sink) ||
        curl->m_MultiAddHandle(multi.get(), easy.get()) != CURLM_OK) {
        return answer;
    }
    int running = 1;
    while (!abort) {
        if (curl->m_MultiPerform(multi.get(), &running) != CURLM_OK || running == 0) {
            break;
        }
        if (curl->m_MultiPoll(multi.get(), nullptr, 0, POLL_SLICE_MS, nullptr) != CURLM_OK) {
            break;
        }
    }
    long status = 0;
    (void)curl->m_EasyGetinfo(easy.get(), CURLINFO_RESPONSE_CODE, &status);
    bool finished = false;
    int waiting = 0;
    while (CURLMsg* message = curl->m_MultiInfoRead(multi.get(), &waiting)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy.get()) {
            finished = message->data.result == CURLE_OK || (sink.m_Cut && message->data.result == CURLE_WRITE_ERROR);
        }
    }
    curl->m_MultiRemoveHandle(multi.get(), easy.get());
    // A stream that stays open until the limit or an abort still had its answer.
    answer.m_Answered = status > 0 && (finished || sink.m_Handler != nullptr);
    answer.m_Status = static_cast<int>(status);
    answer.m_Cut = sink.m_Cut;
    return answer;
}

} // namespace

// libcurl's multi interface waits on the caller's thread, so the pool is not needed here.
HttpAnswer HttpRequest(const HttpCall& call, const std::atomic<bool>& abort, BlockingPool& /*pool*/,
                       const HttpLimits& limits) {
    std::string body;
    Sink sink{nullptr, &body, call.m_MaxAnswerBytes, false};
    HttpAnswer answer = Perform(call, sink, abort, limits);
    answer.m_Body = std::move(body);
    return answer;
}

HttpAnswer HttpStream(const std::string& url, const HttpChunkHandler& handler, const std::atomic<bool>& abort,
                      BlockingPool& /*pool*/, const HttpLimits& limits) {
    HttpCall call;
    call.m_Url = url;
    Sink sink{&handler, nullptr, 0, false};
    return Perform(call, sink, abort, limits);
}

} // namespace dravo
