// AtomicFile on Windows: a uniquely named temporary file opened without sharing, FlushFileBuffers, and
// MoveFileExW replacing the target with write-through.
#include "AtomicFile.h"

#include <windows.h>

#include <random>
#include <string>
#include <system_error>

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

// Six random letters and digits, as mkstemp makes them elsewhere.
std::string RandomPart(std::random_device& seed) {
    static constexpr char LETTERS[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string part;
    for (size_t i = 0; i < AtomicFile::TEMPORARY_RANDOM_LENGTH; ++i) {
        part.push_back(LETTERS[seed() % (sizeof LETTERS - 1)]);
    }
    return part;
}

bool IsTemporaryName(const std::wstring& found, const std::wstring& prefix) {
    if (found.size() != prefix.size() + AtomicFile::TEMPORARY_RANDOM_LENGTH ||
        found.compare(0, prefix.size(), prefix) != 0) {
        return false;
    }
    for (size_t at = prefix.size(); at < found.size(); ++at) {
        const wchar_t c = found[at];
        if (!((c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'))) {
            return false;
        }
    }
    return true;
}

// Temporary files of a save that was killed before its rename, by our own name only. A save under way
// holds its file open without sharing, so deleting that one fails and it stays.
void RemoveStaleTemporaries(const std::filesystem::path& directory, const std::wstring& prefix) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(directory, error)) {
        if (IsTemporaryName(entry.path().filename().wstring(), prefix) && entry.is_regular_file(error)) {
            DeleteFileW(entry.path().c_str());
        }
    }
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
    const std::filesystem::path prefix = TemporaryPrefix(target.filename().string());
    RemoveStaleTemporaries(directory, prefix.wstring());
    std::random_device seed;
    std::filesystem::path temporary;
    HANDLE created = INVALID_HANDLE_VALUE;
    DWORD cause = 0;
    for (int attempt = 0; attempt < 100 && created == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = directory / (prefix.string() + RandomPart(seed));
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
