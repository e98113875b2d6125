// AtomicFile on Windows: a uniquely named temporary file, FlushFileBuffers, and MoveFileExW replacing the
// target with write-through.
#include "AtomicFile.h"

#include <windows.h>

#include <random>

namespace dravo::ref {

namespace {

std::string Describe(const std::string& what, const std::filesystem::path& path, DWORD error) {
    return what + " " + path.string() + ": " + std::system_category().message(static_cast<int>(error)) + ".";
}

// A handle closed with its owner.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : m_Handle(handle) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE Get() const { return m_Handle; }
    bool IsOpen() const { return m_Handle != INVALID_HANDLE_VALUE; }
    bool Close() {
        const bool closed = !IsOpen() || CloseHandle(m_Handle) != 0;
        m_Handle = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE m_Handle;
};

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 20));
        DWORD written = 0;
        if (WriteFile(file, bytes.data(), chunk, &written, nullptr) == 0) {
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

} // namespace

std::string AtomicFile::Write(const std::filesystem::path& target, std::string_view bytes) {
    if (target.filename().empty()) {
        return "Cannot save to " + target.string() + ": no file name.";
    }
    std::filesystem::path directory = target.parent_path();
    if (directory.empty()) {
        directory = ".";
    }
    std::random_device seed;
    std::filesystem::path temporary;
    HANDLE created = INVALID_HANDLE_VALUE;
    DWORD cause = 0;
    for (int attempt = 0; attempt < 100 && created == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = directory / ("." + target.filename().string() + "." + std::to_string(seed() % 1000000u));
        created = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        cause = GetLastError();
        if (created == INVALID_HANDLE_VALUE && cause != ERROR_FILE_EXISTS) {
            break;
        }
    }
    FileHandle file(created);
    if (!file.IsOpen()) {
        return Describe("Cannot create a temporary file in", directory, cause);
    }
    std::string error;
    if (!WriteAll(file.Get(), bytes) || FlushFileBuffers(file.Get()) == 0) {
        error = Describe("Cannot write", temporary, GetLastError());
    }
    if (!file.Close() && error.empty()) {
        error = Describe("Cannot write", temporary, GetLastError());
    }
    if (error.empty() &&
        MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
        error = Describe("Cannot replace", target, GetLastError());
    }
    if (!error.empty()) {
        DeleteFileW(temporary.c_str());
    }
    return error;
}

} // namespace dravo::ref
