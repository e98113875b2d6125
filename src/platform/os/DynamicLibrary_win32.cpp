// LoadLibraryA-based library loading.
#include "platform/os/DynamicLibrary.h"

#include <windows.h>

#include <utility>

namespace dravo {
namespace {

std::string LastErrorText() {
    const DWORD code = GetLastError();
    char text[512] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                  sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' || text[length - 1] == ' ')) {
        --length;
    }
    return length > 0 ? std::string(text, length) : "error " + std::to_string(code);
}

} // namespace

bool DynamicLibrary::Open(const std::string& path) {
    Close();
    // A bare name would be searched in the system's folders too; the operator means a file, so name it
    // relative to the current directory.
    const std::string target = path.find_first_of("/\\:") == std::string::npos ? ".\\" + path : path;
    // No "cannot find" box from the system: a failure is reported, not shown.
    DWORD previousMode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
    HMODULE module = LoadLibraryA(target.c_str());
    const std::string reason = module == nullptr ? LastErrorText() : std::string();
    SetThreadErrorMode(previousMode, nullptr);
    if (module == nullptr) {
        m_Error = target + ": " + reason;
        return false;
    }
    m_Handle = reinterpret_cast<void*>(module);
    m_Error.clear();
    return true;
}

void* DynamicLibrary::Symbol(const char* name) const {
    if (m_Handle == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(m_Handle), name));
}

std::string DynamicLibrary::FileName(std::string_view stem) {
    return std::string(stem) + ".dll";
}

void DynamicLibrary::Close() {
    if (m_Handle != nullptr) {
        FreeLibrary(static_cast<HMODULE>(m_Handle));
        m_Handle = nullptr;
    }
}

} // namespace dravo
