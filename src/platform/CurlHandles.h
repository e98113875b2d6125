// CurlEasy and CurlMulti: move-only owners of libcurl's easy and multi handles.
#pragma once

#include <curl/curl.h>

#include <utility>

namespace dravo {

class CurlEasy {
public:
    CurlEasy() : m_Handle(curl_easy_init()) {}
    CurlEasy(CurlEasy&& other) noexcept : m_Handle(std::exchange(other.m_Handle, nullptr)) {}
    CurlEasy& operator=(CurlEasy&& other) noexcept {
        std::swap(m_Handle, other.m_Handle);
        return *this;
    }
    CurlEasy(const CurlEasy&) = delete;
    CurlEasy& operator=(const CurlEasy&) = delete;
    ~CurlEasy() {
        if (m_Handle != nullptr) {
            curl_easy_cleanup(m_Handle);
        }
    }
    CURL* Get() const { return m_Handle; }
    explicit operator bool() const { return m_Handle != nullptr; }

private:
    CURL* m_Handle;
};

class CurlMulti {
public:
    CurlMulti() : m_Handle(curl_multi_init()) {}
    CurlMulti(CurlMulti&& other) noexcept : m_Handle(std::exchange(other.m_Handle, nullptr)) {}
    CurlMulti& operator=(CurlMulti&& other) noexcept {
        std::swap(m_Handle, other.m_Handle);
        return *this;
    }
    CurlMulti(const CurlMulti&) = delete;
    CurlMulti& operator=(const CurlMulti&) = delete;
    ~CurlMulti() {
        if (m_Handle != nullptr) {
            curl_multi_cleanup(m_Handle);
        }
    }
    CURLM* Get() const { return m_Handle; }
    explicit operator bool() const { return m_Handle != nullptr; }

private:
    CURLM* m_Handle;
};

} // namespace dravo
