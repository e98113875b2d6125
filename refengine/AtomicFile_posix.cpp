// AtomicFile on POSIX systems: a temporary file from mkostemp, fsync, rename, and the directory synced.
#include "AtomicFile.h"

#include <cerrno>
#include <fcntl.h>
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

// Flushes the directory entry of the rename; a failure here does not undo the save.
void SyncDirectory(const std::filesystem::path& directory) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

std::string AtomicFile::Write(const std::filesystem::path& target, std::string_view bytes) {
    if (target.filename().empty()) {
        return "Cannot save to " + target.string() + ": no file name.";
    }
    std::filesystem::path directory = target.parent_path();
    if (directory.empty()) {
        directory = ".";
    }
    std::string pattern = (directory / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) {
        const int cause = errno;
        return Describe("Cannot create a temporary file in", directory, cause);
    }
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
