// AtomicFile on POSIX systems: a temporary file from mkostemp, fsync, rename, and the directory synced.
#include "AtomicFile.h"

#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace dravo::ref {

namespace {

constexpr mode_t NEW_FILE_MODE = 0644;

std::string Describe(const std::string& what, const std::filesystem::path& path, int error) {
    return what + " " + path.string() + ": " + std::generic_category().message(error) + ".";
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

// The file a path names once its links are followed: a configuration kept elsewhere and linked into the
// game directory is updated where it lives, and the link stays a link. A dangling link names its target.
std::filesystem::path FollowLinks(std::filesystem::path path) {
    constexpr int MAX_LINKS = 40;
    for (int hop = 0; hop < MAX_LINKS; ++hop) {
        std::error_code error;
        if (!std::filesystem::is_symlink(path, error)) {
            return path;
        }
        const std::filesystem::path next = std::filesystem::read_symlink(path, error);
        if (error) {
            return path;
        }
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return path;
}

// True when the descriptor and the name are the same file: the name was not taken from under it.
bool StillNamed(int fd, const std::filesystem::path& path) {
    struct stat opened {};
    struct stat named {};
    return ::fstat(fd, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
}

// True for a name that only a save of this file makes: the prefix and the six characters mkstemp adds.
bool IsTemporaryName(const std::string& found, const std::string& prefix) {
    if (found.size() != prefix.size() + AtomicFile::TEMPORARY_RANDOM_LENGTH ||
        found.compare(0, prefix.size(), prefix) != 0) {
        return false;
    }
    for (size_t at = prefix.size(); at < found.size(); ++at) {
        if (std::isalnum(static_cast<unsigned char>(found[at])) == 0) {
            return false;
        }
    }
    return true;
}

// Temporary files of an earlier save that was killed before its rename: only our own name, and only one
// that no save holds (a save keeps its temporary file locked until the rename), however young.
void RemoveStaleTemporaries(const std::filesystem::path& directory, const std::string& prefix) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(directory, error)) {
        if (!IsTemporaryName(entry.path().filename().string(), prefix)) {
            continue;
        }
        const int fd = ::open(entry.path().c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0) {
            continue;
        }
        struct stat status {};
        // Held under the lock until it is gone; and still the file the name gives, not a new one by chance.
        if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            StillNamed(fd, entry.path())) {
            ::unlink(entry.path().c_str());
        }
        ::close(fd);
    }
}

// A new temporary file beside the target, created and locked; -1 with errno set when none can be made.
// Between its creation and its lock another save may take it for stale and remove it: then it is made again.
int CreateTemporary(const std::filesystem::path& directory, const std::string& prefix, std::filesystem::path& made) {
    constexpr int ATTEMPTS = 10;
    for (int attempt = 0; attempt < ATTEMPTS; ++attempt) {
        std::string pattern = (directory / (prefix + "XXXXXX")).string();
        const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (fd < 0) {
            return -1;
        }
        (void)::flock(fd, LOCK_EX); // ours until the rename: another save leaves it alone
        if (StillNamed(fd, pattern)) {
            made = pattern;
            return fd;
        }
        ::close(fd);
    }
    errno = EEXIST;
    return -1;
}

// Flushes the directory entry of the rename; a failure here does not undo the save.
void SyncDirectory(const std::filesystem::path& directory) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

std::string AtomicFile::Write(const std::filesystem::path& named, std::string_view bytes) {
    if (named.filename().empty()) {
        return "Cannot save to " + named.string() + ": no file name.";
    }
    const std::filesystem::path target = FollowLinks(named);
    std::filesystem::path directory = target.parent_path();
    if (directory.empty()) {
        directory = ".";
    }
    const std::string prefix = TemporaryPrefix(target.filename().string());
    RemoveStaleTemporaries(directory, prefix);
    std::filesystem::path temporary;
    const int fd = CreateTemporary(directory, prefix, temporary);
    if (fd < 0) {
        const int cause = errno;
        return Describe("Cannot create a temporary file in", directory, cause);
    }
    // Keep the owner, group and permissions of the file being replaced: a save by root leaves the
    // service user's file the service user's.
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    const mode_t mode = exists ? (existing.st_mode & 07777) : NEW_FILE_MODE;
    if (exists && ::fchown(fd, existing.st_uid, existing.st_gid) != 0) {
        (void)::fchown(fd, static_cast<uid_t>(-1), existing.st_gid); // not root: the group, if it may
    }
    std::string error;
    if (::fchmod(fd, mode) != 0 || !WriteAll(fd, bytes) || ::fsync(fd) != 0) {
        const int cause = errno;
        error = Describe("Cannot write", temporary, cause);
    }
    if (::close(fd) != 0 && error.empty()) {
        const int cause = errno;
        error = Describe("Cannot write", temporary, cause);
    }
    if (error.empty() && ::rename(temporary.c_str(), target.c_str()) != 0) {
        const int cause = errno;
        error = Describe("Cannot replace", target, cause);
    }
    if (!error.empty()) {
        ::unlink(temporary.c_str());
        return error;
    }
    SyncDirectory(directory);
    return {};
}

} // namespace dravo::ref
