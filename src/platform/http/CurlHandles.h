// CurlApi, CurlEasy and CurlMulti: libcurl, loaded when the first request is made, and owners of its easy
// and multi handles.
//
// The program maps libcurl (and with it its TLS, Kerberos and LDAP libraries, several megabytes resident)
// only when a run makes an HTTP request: the web registration or the fleet client. A run without either
// never loads it. Loading happens once per process, from any thread, and the library stays loaded.
#pragma once

#include <curl/curl.h>

#include <memory>
#include <string>

namespace dravo {

// The calls of libcurl the program makes.
struct CurlApi {
    CURL* (*m_EasyInit)() = nullptr;
    void (*m_EasyCleanup)(CURL*) = nullptr;
    CURLcode (*m_EasySetopt)(CURL*, CURLoption, ...) = nullptr;
    CURLcode (*m_EasyGetinfo)(CURL*, CURLINFO, ...) = nullptr;
    CURLM* (*m_MultiInit)() = nullptr;
    CURLMcode (*m_MultiCleanup)(CURLM*) = nullptr;
    CURLMcode (*m_MultiAddHandle)(CURLM*, CURL*) = nullptr;
    CURLMcode (*m_MultiRemoveHandle)(CURLM*, CURL*) = nullptr;
    CURLMcode (*m_MultiPerform)(CURLM*, int*) = nullptr;
    CURLMcode (*m_MultiPoll)(CURLM*, curl_waitfd[], unsigned int, int, int*) = nullptr;
    CURLMsg* (*m_MultiInfoRead)(CURLM*, int*) = nullptr;
    curl_slist* (*m_SlistAppend)(curl_slist*, const char*) = nullptr;
    void (*m_SlistFreeAll)(curl_slist*) = nullptr;
};

// libcurl, loaded and started on the first call; null when it cannot be loaded (`why`, if given, says why).
const CurlApi* Curl(std::string* why = nullptr);

struct CurlEasyCleanup {
    void operator()(CURL* handle) const { Curl()->m_EasyCleanup(handle); }
};
struct CurlMultiCleanup {
    void operator()(CURLM* handle) const { Curl()->m_MultiCleanup(handle); }
};
struct CurlListFree {
    void operator()(curl_slist* list) const { Curl()->m_SlistFreeAll(list); }
};

using CurlEasy = std::unique_ptr<CURL, CurlEasyCleanup>;
using CurlMulti = std::unique_ptr<CURLM, CurlMultiCleanup>;
using CurlList = std::unique_ptr<curl_slist, CurlListFree>;

} // namespace dravo
