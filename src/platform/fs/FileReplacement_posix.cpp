// Replacing a file on POSIX systems: O_EXCL and O_NOFOLLOW, fchown and fchmod, fsync and rename.
#include "platform/fs/FileReplacement.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dravo {
namespace {

constexpr mode_t FRESH_FILE_MODE = 0600;

std::string Reason(const std::filesystem::path& path, int error) {
    return path.string() + ": " + std::strerror(error);
}

// Flushes what a directory's entries became (a rename); a failure here undoes nothing.
void SyncDirectory(const std::filesystem::path& file) {
    const std::filesystem::path directory = file.parent_path().empty() ? "." : file.parent_path();
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
}

} // namespace

FileOwnership OwnershipOf(const std::filesystem::path& file) {
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0) {
        return {};
    }
    return {true, status.st_uid, status.st_gid, static_cast<uint32_t>(status.st_mode & 07777)};
}

FileOwnership NewFileOwnership(uint32_t mode) {
    return {true, ::geteuid(), ::getegid(), mode};
}

bool CreateFreshFile(const std::filesystem::path& path, std::string& error) {
    // A name of ours, under the configuration's lock: what stands there is left over (a killed run) or
    // put there by someone else (a link, a FIFO), and goes; the link's target stays as it was.
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
        error = Reason(path, errno);
        return false;
    }
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, FRESH_FILE_MODE);
    if (fd < 0) {
        error = Reason(path, errno);
        return false;
    }
    ::close(fd);
    return true;
}

bool WriteFreshFile(const std::filesystem::path& path, std::string_view bytes, std::string& error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = Reason(path, errno);
        return false;
    }
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            error = Reason(path, written < 0 ? errno : ENOSPC);
            ::close(fd);
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    if (::close(fd) != 0) {
        error = Reason(path, errno);
        return false;
    }
    return true;
}

bool ApplyOwnership(const std::filesystem::path& path, const FileOwnership& ownership, std::string& error) {
    if (!ownership.m_Known) {
        return true;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = Reason(path, errno);
        return false;
    }
    // Root gives the file back to its owner; anyone else keeps it and may still give it the group.
    if (::fchown(fd, ownership.m_User, ownership.m_Group) != 0) {
        (void)::fchown(fd, static_cast<uid_t>(-1), ownership.m_Group);
    }
    const bool moded = ::fchmod(fd, static_cast<mode_t>(ownership.m_Mode)) == 0;
    const int cause = errno;
    ::close(fd);
    if (!moded) {
        error = Reason(path, cause);
    }
    return moded;
}

bool CommitFile(const std::filesystem::path& file, const std::filesystem::path& target, std::string& error) {
    std::string failure;
    const int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        failure = Reason(file, errno);
    }
    if (fd >= 0) {
        ::close(fd);
    }
    if (failure.empty() && ::rename(file.c_str(), target.c_str()) != 0) {
        failure = "Cannot replace " + Reason(target, errno);
    }
    if (!failure.empty()) {
        error = failure;
        ::unlink(file.c_str());
        return false;
    }
    SyncDirectory(target);
    return true;
}

void DiscardFile(const std::filesystem::path& file) {
    (void)::unlink(file.c_str());
}

std::string WhyReadOnly(const std::filesystem::path& /*file*/) {
    return {};
}

} // namespace dravo
