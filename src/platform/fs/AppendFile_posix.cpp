// The append-only file on POSIX systems: opened with O_APPEND and O_NONBLOCK, so that a FIFO with no
// reader is refused instead of waited for, and written until all is written, waiting for room with
// poll in short slices.
#include "platform/fs/AppendFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace dravo {
namespace {

constexpr mode_t NEW_FILE_MODE = 0644;
constexpr int ROOM_SLICE_MS = 50;
constexpr int OPEN_FLAGS = O_WRONLY | O_APPEND | O_CLOEXEC | O_NONBLOCK;

// A file made in a directory its group may write (a volume shared by whatever user id the platform
// gives, in one group) is the group's to append to as well, whatever the umask.
void ShareWithGroup(const std::string& path, int fd) {
    const size_t slash = path.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    struct stat folder {};
    struct stat file {};
    if (stat(directory.c_str(), &folder) == 0 && (folder.st_mode & S_IWGRP) != 0 && fstat(fd, &file) == 0) {
        (void)fchmod(fd, (file.st_mode & 07777) | S_IRGRP | S_IWGRP);
    }
}

} // namespace

bool AppendFile::Open(const std::string& path, std::string& error) {
    Close();
    int fd = open(path.c_str(), OPEN_FLAGS | O_CREAT | O_EXCL, NEW_FILE_MODE);
    if (fd >= 0) {
        ShareWithGroup(path, fd);
    } else if (errno == EEXIST) {
        fd = open(path.c_str(), OPEN_FLAGS | O_CREAT, NEW_FILE_MODE);
    }
    if (fd < 0) {
        error = errno == ENXIO ? "a FIFO that nobody reads" : std::strerror(errno);
        return false;
    }
    m_Handle = fd;
    return true;
}

// NOLINTNEXTLINE(readability-make-member-function-const): it writes the file it owns
bool AppendFile::Write(std::string_view text, std::string& error, const std::atomic<bool>* giveUp) {
    const int fd = static_cast<int>(m_Handle);
    const off_t before = lseek(fd, 0, SEEK_END); // -1 on a FIFO: nothing can be taken back there
    bool partial = false;
    while (!text.empty()) {
        const ssize_t written = write(fd, text.data(), text.size());
        if (written >= 0) {
            partial = true;
            text.remove_prefix(static_cast<size_t>(written));
            continue;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            // A FIFO whose reader does not read: wait for room, a slice at a time, unless told to give up.
            if (giveUp != nullptr && giveUp->load()) {
                error = GAVE_UP;
                return false;
            }
            pollfd room{fd, POLLOUT, 0};
            (void)poll(&room, 1, ROOM_SLICE_MS);
            continue;
        }
        error = errno == EPIPE ? "its reader has gone" : std::strerror(errno);
        // A text cut short (a full disk) is taken back out: the file never holds a fragment that
        // the whole text would follow once there is room.
        if (partial && before >= 0) {
            (void)!ftruncate(fd, before);
        }
        return false;
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
