// EnginePlatform on POSIX systems: dladdr names the shared object this code was loaded from.
#include "EnginePlatform.h"

#include <dlfcn.h>

namespace dravo::ref {

std::string OwnLibraryName() {
    Dl_info info{};
    const std::string_view path =
        dladdr(reinterpret_cast<void*>(&OwnLibraryName), &info) != 0 && info.dli_fname != nullptr ? info.dli_fname : "";
    const std::string_view name = path.substr(path.find_last_of('/') + 1);
    if (name.empty()) {
        return "server.so";
    }
    std::string shown;
    for (const char c : name) {
        shown.push_back(c >= 0x20 && c < 0x7F ? c : '?');
    }
    return shown;
}

std::string_view NativeLineBreak() {
    return "\n";
}

} // namespace dravo::ref
