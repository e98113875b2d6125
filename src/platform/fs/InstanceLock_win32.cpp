// The instance lock on Windows: the lock file open for writing without sharing write access, so that a
// second program cannot open it for writing, but can read who holds it.
#include "platform/fs/InstanceLock.h"

#include "platform/fs/WindowsNames.h"

#include <windows.h>

#include <chrono>
#include <system_error>
#include <thread>

namespace dravo {
namespace {

constexpr DWORD MAX_PID_TEXT = 32;

std::string ReadHolder(const std::filesystem::path& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {};
    }
    char text[MAX_PID_TEXT] = {};
    DWORD got = 0;
    (void)ReadFile(file, text, MAX_PID_TEXT - 1, &got, nullptr);
    CloseHandle(file);
    std::string holder(text, got);
    return holder.substr(0, holder.find_first_not_of("0123456789"));
}

// A process of this id runs.
bool Runs(const std::string& pid) {
    if (pid.empty() || pid.size() > 9) {
        return false;
    }
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(std::stoul(pid)));
    if (process == nullptr) {
        return GetLastError() == ERROR_ACCESS_DENIED; // another user's
    }
    DWORD exitCode = 0;
    const bool running = GetExitCodeProcess(process, &exitCode) != 0 && exitCode == STILL_ACTIVE;
    CloseHandle(process);
    return running;
}

// The holder writes its id just after it opened the file: a second start at the same moment may find
// it still empty. It is read again for a moment until it names a process that runs.
std::string WaitForHolder(const std::filesystem::path& path) {
    constexpr int ATTEMPTS = 100;
    constexpr std::chrono::milliseconds PAUSE{10}; // a second in all
    std::string holder = ReadHolder(path);
    for (int attempt = 1; attempt < ATTEMPTS && !Runs(holder); ++attempt) {
        std::this_thread::sleep_for(PAUSE);
        holder = ReadHolder(path);
    }
    return holder;
}

// The path the system reached the file or folder by: links and junctions followed, in its own case;
// empty when there is nothing there to open.
std::filesystem::path FinalPath(const std::filesystem::path& path) {
    HANDLE handle = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return {};
    }
    constexpr DWORD MAX_PATH_CHARS = 32768;
    std::wstring text(MAX_PATH_CHARS, L'\0');
    const DWORD length = GetFinalPathNameByHandleW(handle, text.data(), MAX_PATH_CHARS, FILE_NAME_NORMALIZED);
    CloseHandle(handle);
    if (length == 0 || length >= MAX_PATH_CHARS) {
        return {};
    }
    text.resize(length);
    if (text.rfind(L"\\\\?\\UNC\\", 0) == 0) {
        return L"\\\\" + text.substr(8); // a share: \\server\share\...
    }
    return text.rfind(L"\\\\?\\", 0) == 0 ? text.substr(4) : text;
}

// As the file system compares names: the system's own upper-to-lower table, which holds for every
// letter ASCII has and more.
std::wstring FoldCase(const std::wstring& name) {
    std::wstring folded = FoldAsciiCase(name);
    const int length = static_cast<int>(folded.size());
    std::wstring lower(folded.size(), L'\0');
    if (length > 0 && LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, folded.c_str(), length, lower.data(),
                                    length, nullptr, nullptr, 0) == length) {
        return lower;
    }
    return folded;
}

} // namespace

std::filesystem::path InstanceLock::RealName(const std::filesystem::path& file) {
    std::error_code error;
    const std::filesystem::path whole = std::filesystem::absolute(file, error);
    if (error || !whole.has_filename()) {
        return file;
    }
    const std::wstring name = WindowsNameForm(whole.filename().wstring());
    std::filesystem::path real = FinalPath(whole.parent_path() / name);
    if (real.empty()) { // not made yet: its folder as the system finds it, and its name as given
        const std::filesystem::path folder = FinalPath(whole.parent_path());
        real = (folder.empty() ? whole.parent_path() : folder) / name;
    }
    return real.parent_path() / FoldCase(real.filename().wstring());
}

void InstanceLock::Release() {
    if (m_Handle != -1) {
        // A normal end names nobody: the next start never reads an id that is no longer ours.
        HANDLE handle = reinterpret_cast<HANDLE>(m_Handle);
        if (SetFilePointer(handle, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER) {
            (void)SetEndOfFile(handle);
        }
        CloseHandle(reinterpret_cast<HANDLE>(m_Handle));
        m_Handle = -1;
    }
}

InstanceLock::Outcome InstanceLock::Take(const std::filesystem::path& file, std::string& detail) {
    const std::filesystem::path path = LockPath(file);
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_SHARING_VIOLATION) {
            detail = WaitForHolder(path);
            return Outcome::HeldByOther;
        }
        detail = path.string() + ": " + std::system_category().message(static_cast<int>(error));
        return Outcome::Unavailable;
    }
    const std::string pid = std::to_string(GetCurrentProcessId()) + "\r\n";
    DWORD written = 0;
    (void)SetEndOfFile(handle);
    (void)WriteFile(handle, pid.data(), static_cast<DWORD>(pid.size()), &written, nullptr);
    m_Handle = reinterpret_cast<intptr_t>(handle);
    return Outcome::Held;
}

} // namespace dravo
