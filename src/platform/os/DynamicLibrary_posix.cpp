// dlopen-based library loading.
#include "platform/os/DynamicLibrary.h"

#include <dlfcn.h>

#include <utility>

namespace dravo {

bool DynamicLibrary::Open(const std::string& path) {
    Close();
    // A bare name would be searched in the system's library paths; the operator
    // means a file, so name it relative to the current directory.
    const std::string target = path.find('/') == std::string::npos ? "./" + path : path;
    m_Handle = dlopen(target.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (m_Handle == nullptr) {
        const char* reason = dlerror();
        m_Error = reason != nullptr ? reason : "unknown error";
        return false;
    }
    m_Error.clear();
    return true;
}

void* DynamicLibrary::Symbol(const char* name) const {
    return m_Handle != nullptr ? dlsym(m_Handle, name) : nullptr;
}

std::string DynamicLibrary::FileName(std::string_view stem) {
    return std::string(stem) + ".so";
}

void DynamicLibrary::Close() {
    if (m_Handle != nullptr) {
        dlclose(m_Handle);
        m_Handle = nullptr;
    }
}

} // namespace dravo
