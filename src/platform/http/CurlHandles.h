// CurlEasy and CurlMulti: owners of libcurl's easy and multi handles.
#pragma once

#include <curl/curl.h>

#include <memory>

namespace dravo {

struct CurlEasyCleanup {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct CurlMultiCleanup {
    void operator()(CURLM* handle) const { curl_multi_cleanup(handle); }
};

using CurlEasy = std::unique_ptr<CURL, CurlEasyCleanup>;
using CurlMulti = std::unique_ptr<CURLM, CurlMultiCleanup>;

// libcurl's start for the whole process (and with it its TLS library's), once, from any thread.
void StartCurl();

} // namespace dravo
