// The append-only file's owner: what every platform shares.
#include "platform/fs/AppendFile.h"

#include <utility>

namespace dravo {

AppendFile::AppendFile(AppendFile&& other) noexcept : m_Handle(std::exchange(other.m_Handle, NO_HANDLE)) {}

AppendFile& AppendFile::operator=(AppendFile&& other) noexcept {
    if (this != &other) {
        Close();
        m_Handle = std::exchange(other.m_Handle, NO_HANDLE);
    }
    return *this;
}

} // namespace dravo
