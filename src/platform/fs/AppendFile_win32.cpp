// The append-only file on Windows: CreateFileA with FILE_APPEND_DATA, shared so that it can be read,
// renamed or removed while open; a named pipe (\\.\pipe\NAME, for a log shipper) is opened with write
// access instead, since for a pipe the append bit asks for something else. Writes are overlapped and
// waited for in short slices, so that a pipe whose reader does not read holds the writer only until it
// is told to give up.
#include "platform/fs/AppendFile.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <system_error>
#include <utility>

namespace dravo {
namespace {

constexpr DWORD ROOM_SLICE_MS = 50;
constexpr size_t LARGEST_CHUNK = size_t{1} << 20;

HANDLE AsHandle(intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

std::string ErrorText(DWORD code) {
    switch (code) {
    case ERROR_NO_DATA:
    case ERROR_BROKEN_PIPE:
    case ERROR_PIPE_NOT_CONNECTED:
        return "its reader has gone";
    default:
        return std::system_category().message(static_cast<int>(code));
    }
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// "\\HOST\pipe\NAME" in either kind of slashes, HOST being "." for this machine.
bool NamesAPipe(const std::string& path) {
    if (path.size() < 2 || !IsSeparator(path[0]) || !IsSeparator(path[1])) {
        return false;
    }
    size_t at = 2;
    while (at < path.size() && !IsSeparator(path[at])) {
        ++at;
    }
    if (at == 2 || path.size() < at + 6) {
        return false;
    }
    const std::string_view word = std::string_view(path).substr(at + 1, 4);
    return std::equal(word.begin(), word.end(), "pipe",
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; }) &&
           IsSeparator(path[at + 5]);
}

// An event of a write's own, closed with it.
class WriteEvent {
public:
    WriteEvent() : m_Event(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~WriteEvent() {
        if (m_Event != nullptr) {
            CloseHandle(m_Event);
        }
    }
    WriteEvent(const WriteEvent&) = delete;
    WriteEvent& operator=(const WriteEvent&) = delete;
    HANDLE Get() const { return m_Event; }

private:
    HANDLE m_Event;
};

} // namespace

bool AppendFile::Open(const std::string& path, std::string& error) {
    Close();
    const bool pipe = NamesAPipe(path);
    HANDLE file = CreateFileA(
        path.c_str(), pipe ? GENERIC_WRITE : FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, pipe ? OPEN_EXISTING : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = ErrorText(GetLastError());
        return false;
    }
    m_Handle = reinterpret_cast<intptr_t>(file);
    return true;
}

// NOLINTNEXTLINE(readability-make-member-function-const): it writes the file it owns
bool AppendFile::Write(std::string_view text, std::string& error, const std::atomic<bool>* giveUp) {
    const HANDLE file = AsHandle(m_Handle);
    const WriteEvent event;
    if (event.Get() == nullptr) {
        error = ErrorText(GetLastError());
        return false;
    }
    while (!text.empty()) {
        OVERLAPPED overlapped{};
        overlapped.Offset = 0xFFFFFFFF; // both halves all ones: at the end of the file
        overlapped.OffsetHigh = 0xFFFFFFFF;
        overlapped.hEvent = event.Get();
        const DWORD chunk = static_cast<DWORD>(std::min(text.size(), LARGEST_CHUNK));
        if (WriteFile(file, text.data(), chunk, nullptr, &overlapped) == 0) {
            const DWORD code = GetLastError();
            if (code != ERROR_IO_PENDING) {
                error = ErrorText(code);
                return false;
            }
        }
        // A pipe whose reader does not read: wait for it, a slice at a time, unless told to give up.
        bool gaveUp = false;
        for (;;) {
            const DWORD waited = WaitForSingleObject(event.Get(), ROOM_SLICE_MS);
            if (waited == WAIT_OBJECT_0) {
                break;
            }
            gaveUp = giveUp != nullptr && giveUp->load();
            if (waited != WAIT_TIMEOUT || gaveUp) {
                CancelIoEx(file, &overlapped);
                break;
            }
        }
        DWORD written = 0;
        // Waits only for a write that has ended or has been cancelled.
        if (GetOverlappedResult(file, &overlapped, &written, TRUE) == 0) {
            error = gaveUp ? GAVE_UP : ErrorText(GetLastError());
            return false;
        }
        text.remove_prefix(std::min<size_t>(written, chunk));
        if (gaveUp && !text.empty()) {
            error = GAVE_UP;
            return false;
        }
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
