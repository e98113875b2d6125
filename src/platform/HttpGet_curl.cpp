// A single GET over libcurl's multi interface, so that it can be abandoned at once.
#include "platform/HttpGet.h"

#include "platform/CurlHandles.h"

#include <mutex>

namespace dravo {
namespace {

size_t DiscardBody(char*, size_t size, size_t count, void*) {
    return size * count;
}

void InitializeCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool Configure(CURL* easy, const std::string& url, const HttpLimits& limits) {
    // The name lookup runs on libcurl's resolver thread, within the connect limit; a lookup that never
    // ends is left behind at cleanup instead of being waited for (where libcurl knows how).
    (void)curl_easy_setopt(easy, CURLOPT_QUICK_EXIT, 1L);
    return curl_easy_setopt(easy, CURLOPT_URL, url.c_str()) == CURLE_OK &&
           curl_easy_setopt(easy, CURLOPT_USERAGENT, HTTP_USER_AGENT) == CURLE_OK &&
           curl_easy_setopt(easy, CURLOPT_PROXY, "") == CURLE_OK &&
           curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK &&
           curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
           curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.m_Connect.count())) == CURLE_OK &&
           curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(limits.m_Total.count())) == CURLE_OK &&
           curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &DiscardBody) == CURLE_OK;
}

} // namespace

// libcurl's multi interface gives up at once: nothing is left for the pool.
bool HttpGet(const std::string& url, const std::atomic<bool>& abort, const HttpLimits& limits, BlockingPool&) {
    InitializeCurlOnce();
    const CurlEasy easy(curl_easy_init());
    const CurlMulti multi(curl_multi_init());
    if (!easy || !multi || !Configure(easy.get(), url, limits) ||
        curl_multi_add_handle(multi.get(), easy.get()) != CURLM_OK) {
        return false;
    }
    int running = 1;
    while (!abort) {
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK || running == 0) {
            break;
        }
        if (curl_multi_poll(multi.get(), nullptr, 0, POLL_SLICE_MS, nullptr) != CURLM_OK) {
            break;
        }
    }
    bool answered = false;
    int waiting = 0;
    while (CURLMsg* message = curl_multi_info_read(multi.get(), &waiting)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy.get()) {
            answered = message->data.result == CURLE_OK;
        }
    }
    curl_multi_remove_handle(multi.get(), easy.get());
    return answered;
}

} // namespace dravo
