// AtomicFile on POSIX systems: a temporary file from mkostemp, fsync, rename, and the directory synced.
#include "AtomicFile.h"

#include <cerrno>
#include <chrono>
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

// Temporary files of an earlier save that was killed before its rename: ".<name>.XXXXXX" beside the
// file, old, and held by no writer (a writer keeps its temporary file locked until it is done).
void RemoveStaleTemporaries(const std::filesystem::path& directory, const std::string& name) {
    constexpr auto STALE_AFTER = std::chrono::seconds(10);
    const std::string prefix = "." + name + ".";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(directory, error)) {
        const std::string found = entry.path().filename().string();
        if (found.size() != prefix.size() + 6 || found.compare(0, prefix.size(), prefix) != 0 ||
            !entry.is_regular_file(error)) {
            continue;
        }
        const auto age = std::filesystem::file_time_type::clock::now() - entry.last_write_time(error);
        if (error || age < STALE_AFTER) {
            continue;
        }
        const int fd = ::open(entry.path().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0) {
            continue;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            ::unlink(entry.path().c_str());
        }
        ::close(fd);
    }
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
    RemoveStaleTemporaries(directory, target.filename().string());
    std::string pattern = (directory / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) {
        const int cause = errno;
        return Describe("Cannot create a temporary file in", directory, cause);
    }
    (void)::flock(fd, LOCK_EX); // ours until the rename: a later save leaves it alone
    const std::filesystem::path temporary = pattern;
    // Keep the permissions of the file being replaced.
    struct stat existing {};
    const mode_t mode = ::stat(target.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : NEW_FILE_MODE;
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
