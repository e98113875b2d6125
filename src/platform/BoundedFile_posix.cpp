// Reading a regular file without blocking on anything else.
#include "platform/BoundedFile.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dravo {

BoundedFile ReadBoundedFile(const std::filesystem::path& file, size_t maxBytes) {
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
    result.m_Outcome = BoundedFile::Outcome::Read;
    char chunk[16384];
    for (;;) {
        const size_t room = maxBytes - result.m_Bytes.size();
        const ssize_t got = ::read(fd, chunk, std::min(sizeof chunk, room + 1));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break; // the end, or a read error: what came so far counts
        }
        const auto length = static_cast<size_t>(got);
        if (length > room) {
            result.m_Bytes.append(chunk, room);
            result.m_Outcome = BoundedFile::Outcome::Cut;
            break;
        }
        result.m_Bytes.append(chunk, length);
    }
    ::close(fd);
    return result;
}

} // namespace dravo
