// The running program's directory on Windows: the module file name of the process.
#include "platform/fs/FileSystem.h"

#include <windows.h>

#include <string>

namespace dravo {

std::filesystem::path ExecutableDirectory() {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) {
            return std::filesystem::current_path();
        }
        if (length < name.size()) {
            name.resize(length);
            return std::filesystem::path(name).parent_path();
        }
        name.resize(name.size() * 2); // cut: a longer path
    }
}

} // namespace dravo
