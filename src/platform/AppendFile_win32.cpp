// The append-only file on Windows: CreateFileA with FILE_APPEND_DATA, shared so that it can be read,
// renamed or removed while open.
#include "platform/AppendFile.h"

#include <windows.h>

#include <algorithm>
#include <system_error>
#include <utility>

namespace dravo {
namespace {

HANDLE AsHandle(intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

std::string LastErrorText() {
    return std::system_category().message(static_cast<int>(GetLastError()));
}

} // namespace

bool AppendFile::Open(const std::string& path, std::string& error) {
    Close();
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = LastErrorText();
        return false;
    }
    m_Handle = reinterpret_cast<intptr_t>(file);
    return true;
}

bool AppendFile::Write(std::string_view text, std::string& error, const std::atomic<bool>* giveUp) {
    while (!text.empty()) {
        if (giveUp != nullptr && giveUp->load()) {
            error = GAVE_UP;
            return false;
        }
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size(), 1u << 20));
        DWORD written = 0;
        if (WriteFile(AsHandle(m_Handle), text.data(), chunk, &written, nullptr) == 0) {
            error = LastErrorText();
            return false;
        }
        text.remove_prefix(written);
    }
    return true;
}

void AppendFile::Close() {
    if (m_Handle != NO_HANDLE) {
        CloseHandle(AsHandle(m_Handle));
        m_Handle = NO_HANDLE;
    }
}

} // namespace dravo
