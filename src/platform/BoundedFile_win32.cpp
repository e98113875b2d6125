// Reading a regular file on Windows: a disk file only, never a pipe or a device.
#include "platform/BoundedFile.h"

#include <windows.h>

#include <algorithm>

namespace dravo {

BoundedFile ReadBoundedFile(const std::filesystem::path& file, size_t maxBytes) {
    BoundedFile result;
    const HANDLE handle =
        CreateFileW(file.wstring().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return result; // missing, or a directory (which CreateFile does not open without a flag)
    }
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        result.m_Outcome = BoundedFile::Outcome::NotRegular;
        return result;
    }
    result.m_Outcome = BoundedFile::Outcome::Read;
    char chunk[16384];
    for (;;) {
        const size_t room = maxBytes - result.m_Bytes.size();
        DWORD got = 0;
        const auto wanted = static_cast<DWORD>(std::min(sizeof chunk, room + 1));
        if (ReadFile(handle, chunk, wanted, &got, nullptr) == 0 || got == 0) {
            break; // the end, or a read error: what came so far counts
        }
        if (got > room) {
            result.m_Bytes.append(chunk, room);
            result.m_Outcome = BoundedFile::Outcome::Cut;
            break;
        }
        result.m_Bytes.append(chunk, got);
    }
    CloseHandle(handle);
    return result;
}

} // namespace dravo
