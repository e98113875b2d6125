// Reading a regular file without blocking on anything else.
#include "platform/fs/BoundedFile.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dravo {

BoundedFile ReadBoundedFile(const std::filesystem::path& file, size_t maxBytes, FilePart part) {
    BoundedFile result;
    // Without blocking: opening a FIFO for reading would otherwise wait for a writer.
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return result;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        result.m_Outcome = BoundedFile::Outcome::NotRegular;
        return result;
    }
    const uint64_t start = part == FilePart::Last ? LastPartStart(static_cast<uint64_t>(status.st_size), maxBytes) : 0;
    if (start > 0 && ::lseek(fd, static_cast<off_t>(start), SEEK_SET) < 0) {
        ::close(fd);
        return result;
    }
    AppendUpTo(result, maxBytes, [fd](char* buffer, size_t size) -> size_t {
        for (;;) {
            const ssize_t got = ::read(fd, buffer, size);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            return got > 0 ? static_cast<size_t>(got) : 0;
        }
    });
    ::close(fd);
    if (start > 0) {
        result.m_Outcome = BoundedFile::Outcome::Cut;
    }
    return result;
}

} // namespace dravo
