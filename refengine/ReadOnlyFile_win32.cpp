// ReadOnlyFile on Windows: CreateFileW shared for reading, writing and deleting, checked to be a file on
// disk, read at an offset with ReadFile and an OVERLAPPED position.
#include "ReadOnlyFile.h"

#include <windows.h>

#include <algorithm>
#include <system_error>

namespace dravo::ref {

namespace {

HANDLE AsHandle(intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

} // namespace

std::optional<ReadOnlyFile> ReadOnlyFile::Open(const std::filesystem::path& path, std::string& error) {
    // Without FILE_FLAG_BACKUP_SEMANTICS a directory cannot be opened; say so rather than "access denied".
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        error = "Cannot read " + path.string() + ": it is a directory.";
        return std::nullopt;
    }
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = "Cannot open " + path.string() + ": " +
                std::system_category().message(static_cast<int>(GetLastError())) + ".";
        return std::nullopt;
    }
    LARGE_INTEGER size{};
    if (GetFileType(file) != FILE_TYPE_DISK || GetFileSizeEx(file, &size) == 0) {
        error = "Cannot read " + path.string() + ": it is not a regular file (a pipe or a device).";
        CloseHandle(file);
        return std::nullopt;
    }
    return ReadOnlyFile(reinterpret_cast<intptr_t>(file), static_cast<uint64_t>(size.QuadPart));
}

size_t ReadOnlyFile::ReadAt(uint64_t offset, void* buffer, size_t count) const {
    OVERLAPPED position{};
    position.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    position.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(count, 1u << 20));
    if (ReadFile(AsHandle(m_Handle), buffer, chunk, &got, &position) == 0) {
        return 0; // ERROR_HANDLE_EOF past the end, or a read error
    }
    return got;
}

void ReadOnlyFile::Close() {
    if (m_Handle != NO_HANDLE) {
        CloseHandle(AsHandle(m_Handle));
        m_Handle = NO_HANDLE;
    }
}

} // namespace dravo::ref
