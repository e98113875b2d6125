// Reading a regular file on Windows: a disk file only, never a pipe or a device.
#include "platform/fs/BoundedFile.h"

#include <windows.h>

namespace dravo {

BoundedFile ReadBoundedFile(const std::filesystem::path& file, size_t maxBytes, FilePart part) {
    BoundedFile result;
    const HANDLE handle =
        CreateFileW(file.wstring().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        // CreateFile does not open a directory without a flag of its own: that is a file that is there
        // and is no regular file, as on the other systems; anything else is missing or cannot be opened.
        const DWORD attributes = GetFileAttributesW(file.wstring().c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            result.m_Outcome = BoundedFile::Outcome::NotRegular;
        }
        return result;
    }
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        result.m_Outcome = BoundedFile::Outcome::NotRegular;
        return result;
    }
    LARGE_INTEGER fileSize{};
    const uint64_t start = part == FilePart::Last && GetFileSizeEx(handle, &fileSize) != 0
                               ? LastPartStart(static_cast<uint64_t>(fileSize.QuadPart), maxBytes)
                               : 0;
    LARGE_INTEGER offset{};
    offset.QuadPart = static_cast<LONGLONG>(start);
    if (start > 0 && SetFilePointerEx(handle, offset, nullptr, FILE_BEGIN) == 0) {
        CloseHandle(handle);
        return result;
    }
    AppendUpTo(result, maxBytes, [handle](char* buffer, size_t size) -> size_t {
        DWORD got = 0;
        return ReadFile(handle, buffer, static_cast<DWORD>(size), &got, nullptr) == 0 ? 0 : got;
    });
    CloseHandle(handle);
    if (start > 0) {
        result.m_Outcome = BoundedFile::Outcome::Cut;
    }
    return result;
}

} // namespace dravo
