// The append-only file on POSIX systems: open with O_APPEND, write until all is written.
#include "platform/AppendFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace dravo {
namespace {

constexpr mode_t NEW_FILE_MODE = 0644;

} // namespace

bool AppendFile::Open(const std::string& path, std::string& error) {
    Close();
    const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, NEW_FILE_MODE);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    m_Handle = fd;
    return true;
}

// NOLINTNEXTLINE(readability-make-member-function-const): it writes the file it owns
bool AppendFile::Write(std::string_view text, std::string& error) {
    const int fd = static_cast<int>(m_Handle);
    const off_t before = lseek(fd, 0, SEEK_END);
    bool partial = false;
    while (!text.empty()) {
        const ssize_t written = write(fd, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = std::strerror(errno);
            // A text cut short (a full disk) is taken back out: the file never holds a fragment that
            // the whole text would follow once there is room.
            if (partial && before >= 0) {
                (void)!ftruncate(fd, before);
            }
            return false;
        }
        partial = true;
        text.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

void AppendFile::Close() {
    if (m_Handle != NO_HANDLE) {
        close(static_cast<int>(m_Handle));
        m_Handle = NO_HANDLE;
    }
}

} // namespace dravo
