// Replacing a file on Windows: CREATE_NEW, FlushFileBuffers and a write-through MoveFileEx. Owner and
// mode are the directory's to give: nothing is carried over.
#include "platform/fs/FileReplacement.h"

#include <windows.h>

#include <system_error>

namespace dravo {
namespace {

std::string Reason(const std::filesystem::path& path, DWORD error) {
    return path.string() + ": " + std::system_category().message(static_cast<int>(error));
}

HANDLE OpenForWriting(const std::filesystem::path& path, DWORD disposition) {
    return CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

} // namespace

FileOwnership OwnershipOf(const std::filesystem::path& /*file*/) {
    return {};
}

FileOwnership NewFileOwnership(uint32_t /*mode*/) {
    return {};
}

bool CreateFreshFile(const std::filesystem::path& path, std::string& error) {
    if (DeleteFileW(path.c_str()) == 0 && GetLastError() != ERROR_FILE_NOT_FOUND) {
        error = Reason(path, GetLastError());
        return false;
    }
    const HANDLE file = OpenForWriting(path, CREATE_NEW);
    if (file == INVALID_HANDLE_VALUE) {
        error = Reason(path, GetLastError());
        return false;
    }
    CloseHandle(file);
    return true;
}

bool WriteFreshFile(const std::filesystem::path& path, std::string_view bytes, std::string& error) {
    const HANDLE file = OpenForWriting(path, TRUNCATE_EXISTING);
    if (file == INVALID_HANDLE_VALUE) {
        error = Reason(path, GetLastError());
        return false;
    }
    while (!bytes.empty()) {
        constexpr size_t PIECE = 1U << 20U;
        const DWORD size = static_cast<DWORD>(bytes.size() < PIECE ? bytes.size() : PIECE);
        DWORD written = 0;
        if (WriteFile(file, bytes.data(), size, &written, nullptr) == 0 || written == 0) {
            error = Reason(path, GetLastError());
            CloseHandle(file);
            return false;
        }
        bytes.remove_prefix(written);
    }
    CloseHandle(file);
    return true;
}

bool ApplyOwnership(const std::filesystem::path& /*path*/, const FileOwnership& /*ownership*/, std::string& /*error*/) {
    return true;
}

bool CommitFile(const std::filesystem::path& file, const std::filesystem::path& target, std::string& error) {
    const HANDLE handle = OpenForWriting(file, OPEN_EXISTING);
    bool done = handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle) != 0;
    DWORD cause = GetLastError();
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
    }
    if (done) {
        if (const std::string readOnly = WhyReadOnly(target); !readOnly.empty()) {
            error = "Cannot replace " + target.string() + ": " + readOnly;
            DeleteFileW(file.c_str());
            return false;
        }
    }
    if (done && MoveFileExW(file.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
        done = false;
        cause = GetLastError();
    }
    if (!done) {
        error = "Cannot replace " + Reason(target, cause);
        DeleteFileW(file.c_str());
        return false;
    }
    return true;
}

std::string WhyReadOnly(const std::filesystem::path& file) {
    const DWORD attributes = GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) == 0) {
        return {};
    }
    return "it is marked read-only";
}

void DiscardFile(const std::filesystem::path& file) {
    DeleteFileW(file.c_str());
}

} // namespace dravo
