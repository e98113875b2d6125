// EnginePlatform on Windows: the module that holds this code, and CRLF text files.
#include "EnginePlatform.h"

#include <windows.h>

#include <vector>

namespace dravo::ref {

std::string OwnLibraryName() {
    HMODULE module = nullptr;
    std::vector<wchar_t> path(32768);
    DWORD length = 0;
    if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCWSTR>(&OwnLibraryName), &module) != 0) {
        length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    }
    const std::wstring_view full(path.data(), length < path.size() ? length : 0);
    const std::wstring_view name = full.substr(full.find_last_of(L"\\/") + 1);
    if (name.empty()) {
        return "server.dll";
    }
    std::string shown;
    for (const wchar_t c : name) {
        shown.push_back(c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?');
    }
    return shown;
}

std::string_view NativeLineBreak() {
    return "\r\n";
}

} // namespace dravo::ref
