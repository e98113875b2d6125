// ReadOnlyFile on POSIX systems: opened without blocking, checked with fstat, read with pread.
#include "ReadOnlyFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dravo::ref {

std::optional<ReadOnlyFile> ReadOnlyFile::Open(const std::filesystem::path& path, std::string& error) {
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait until someone opens it for writing.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = "Cannot open " + path.string() + ": " + std::strerror(errno) + ".";
        return std::nullopt;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        error = "Cannot read " + path.string() + ": " +
                (S_ISDIR(status.st_mode) ? "it is a directory"
                                         : "it is not a regular file (a FIFO, a device or a socket)") +
                ".";
        ::close(fd);
        return std::nullopt;
    }
    return ReadOnlyFile(fd, static_cast<uint64_t>(status.st_size));
}

size_t ReadOnlyFile::ReadAt(uint64_t offset, void* buffer, size_t count) const {
    for (;;) {
        const ssize_t got = ::pread(static_cast<int>(m_Handle), buffer, count, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        return got > 0 ? static_cast<size_t>(got) : 0;
    }
}

void ReadOnlyFile::Close() {
    if (m_Handle != NO_HANDLE) {
        ::close(static_cast<int>(m_Handle));
        m_Handle = NO_HANDLE;
    }
}

} // namespace dravo::ref
