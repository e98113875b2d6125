// ReadOnlyFile: what every platform shares (the opening and the reads are ReadOnlyFile_posix.cpp, _win32.cpp).
#include "ReadOnlyFile.h"

#include <utility>

namespace dravo::ref {

ReadOnlyFile::ReadOnlyFile(ReadOnlyFile&& other) noexcept
    : m_Handle(std::exchange(other.m_Handle, NO_HANDLE)), m_Size(other.m_Size) {}

ReadOnlyFile& ReadOnlyFile::operator=(ReadOnlyFile&& other) noexcept {
    if (this != &other) {
        Close();
        m_Handle = std::exchange(other.m_Handle, NO_HANDLE);
        m_Size = other.m_Size;
    }
    return *this;
}

ReadOnlyFile::~ReadOnlyFile() {
    Close();
}

bool ReadOnlyFile::ReadExactly(uint64_t offset, void* buffer, size_t count) const {
    auto* bytes = static_cast<char*>(buffer);
    while (count > 0) {
        const size_t got = ReadAt(offset, bytes, count);
        if (got == 0) {
            return false;
        }
        offset += got;
        bytes += got;
        count -= got;
    }
    return true;
}

std::string ReadOnlyFile::ReadAll(const std::filesystem::path& path, size_t maxBytes, std::string& bytes) {
    std::string error;
    std::optional<ReadOnlyFile> file = Open(path, error);
    if (!file) {
        return error;
    }
    std::string tooLarge = "Cannot read " + path.string() + ": larger than " + std::to_string(maxBytes) + " bytes.";
    if (file->Size() > maxBytes) {
        return tooLarge;
    }
    std::string text;
    char chunk[16384];
    // The size may change while it is read: the bound holds for what is read, not for what was said.
    for (uint64_t offset = 0;;) {
        const size_t got = file->ReadAt(offset, chunk, sizeof chunk);
        if (got == 0) {
            break;
        }
        if (text.size() + got > maxBytes) {
            return tooLarge;
        }
        text.append(chunk, got);
        offset += got;
    }
    bytes = std::move(text);
    return {};
}

} // namespace dravo::ref
