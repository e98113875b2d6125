// Loading libcurl when the first request is made.
#include "platform/http/CurlHandles.h"

#include <dlfcn.h>

namespace dravo {
namespace {

// Debian's libcurl4 (and every distribution's libcurl of the last fifteen years) is this soname.
constexpr const char* LIBRARY_NAME = "libcurl.so.4";
// OpenSSL's own cleanup at the program's exit would pull the library from under a request that the
// program let go on its own (a request that will not end in time): the process frees it instead.
constexpr uint64_t OPENSSL_NO_ATEXIT = 0x00080000;

struct Loaded {
    void* m_Library = nullptr; // from the system's library paths; never closed
    CurlApi m_Api;
    std::string m_Why; // empty when loaded
};

template <typename Function> bool Bind(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

bool BindAll(void* library, CurlApi& api) {
    return Bind(library, "curl_easy_init", api.m_EasyInit) && Bind(library, "curl_easy_cleanup", api.m_EasyCleanup) &&
           Bind(library, "curl_easy_setopt", api.m_EasySetopt) &&
           Bind(library, "curl_easy_getinfo", api.m_EasyGetinfo) && Bind(library, "curl_multi_init", api.m_MultiInit) &&
           Bind(library, "curl_multi_cleanup", api.m_MultiCleanup) &&
           Bind(library, "curl_multi_add_handle", api.m_MultiAddHandle) &&
           Bind(library, "curl_multi_remove_handle", api.m_MultiRemoveHandle) &&
           Bind(library, "curl_multi_perform", api.m_MultiPerform) &&
           Bind(library, "curl_multi_poll", api.m_MultiPoll) &&
           Bind(library, "curl_multi_info_read", api.m_MultiInfoRead) &&
           Bind(library, "curl_slist_append", api.m_SlistAppend) &&
           Bind(library, "curl_slist_free_all", api.m_SlistFreeAll);
}

void Load(Loaded& loaded) {
    loaded.m_Library = dlopen(LIBRARY_NAME, RTLD_NOW | RTLD_LOCAL);
    if (loaded.m_Library == nullptr) {
        const char* reason = dlerror();
        loaded.m_Why = reason != nullptr ? reason : std::string(LIBRARY_NAME) + " cannot be loaded";
        return;
    }
    if (!BindAll(loaded.m_Library, loaded.m_Api)) {
        loaded.m_Why = std::string(LIBRARY_NAME) + " lacks a call the program makes";
        return;
    }
    using OpenSslInit = int (*)(uint64_t, const void*);
    if (auto init = reinterpret_cast<OpenSslInit>(dlsym(loaded.m_Library, "OPENSSL_init_crypto")); init != nullptr) {
        (void)init(OPENSSL_NO_ATEXIT, nullptr);
    }
    using GlobalInit = CURLcode (*)(long);
    GlobalInit globalInit = nullptr;
    if (!Bind(loaded.m_Library, "curl_global_init", globalInit) || globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
        loaded.m_Why = std::string(LIBRARY_NAME) + " did not start";
    }
}

} // namespace

const CurlApi* Curl(std::string* why) {
    // Made on first use and never destroyed: a request let go at the program's end may still use it.
    static Loaded* const loaded = [] {
        auto* made = new Loaded;
        Load(*made);
        return made;
    }();
    if (!loaded->m_Why.empty()) {
        if (why != nullptr) {
            *why = loaded->m_Why;
        }
        return nullptr;
    }
    return &loaded->m_Api;
}

} // namespace dravo
