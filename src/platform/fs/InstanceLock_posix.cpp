// The instance lock on POSIX systems: flock on the lock file, which an open file description holds until
// it is closed (the process's other opens and closes of the file leave it alone).
#include "platform/fs/InstanceLock.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dravo {
namespace {

constexpr mode_t LOCK_FILE_MODE = 0644;
constexpr size_t MAX_PID_TEXT = 32;

std::string ReadHolder(int fd) {
    char text[MAX_PID_TEXT] = {};
    const ssize_t got = ::pread(fd, text, sizeof text - 1, 0);
    std::string holder(text, got > 0 ? static_cast<size_t>(got) : 0);
    const size_t end = holder.find_first_not_of("0123456789");
    return holder.substr(0, end);
}

// A process of this id runs (it may be another user's).
bool Runs(const std::string& pid) {
    if (pid.empty() || pid.size() > 9) {
        return false;
    }
    const pid_t id = static_cast<pid_t>(std::stol(pid));
    return id > 0 && (::kill(id, 0) == 0 || errno == EPERM);
}

// The holder writes its id just after it took the lock: a second start at the same moment may find the
// file still empty. It is read again for a moment until it names a process that runs.
std::string WaitForHolder(int fd) {
    constexpr int ATTEMPTS = 100;
    constexpr std::chrono::milliseconds PAUSE{10}; // a second in all
    std::string holder = ReadHolder(fd);
    for (int attempt = 1; attempt < ATTEMPTS && !Runs(holder); ++attempt) {
        std::this_thread::sleep_for(PAUSE);
        holder = ReadHolder(fd);
    }
    return holder;
}

} // namespace

std::filesystem::path InstanceLock::RealName(const std::filesystem::path& file) {
    std::error_code error;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(file, error))) {
        std::filesystem::path target = std::filesystem::canonical(file, error);
        if (!error) {
            return target;
        }
    }
    return file;
}

void InstanceLock::Release() {
    if (m_Handle >= 0) {
        // A normal end names nobody: the next start never reads an id that is no longer ours.
        (void)!::ftruncate(static_cast<int>(m_Handle), 0);
        ::close(static_cast<int>(m_Handle));
        m_Handle = -1;
    }
}

bool InstanceLock::Guards() const {
    struct stat held {};
    struct stat named {};
    return m_Handle >= 0 && ::fstat(static_cast<int>(m_Handle), &held) == 0 && ::lstat(m_Path.c_str(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

InstanceLock::Outcome InstanceLock::Take(const std::filesystem::path& file, std::string& detail) {
    const std::filesystem::path path = LockPath(file);
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC, LOCK_FILE_MODE);
    if (fd < 0) {
        detail = path.string() + ": " + std::strerror(errno);
        return Outcome::Unavailable;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        detail = error == EWOULDBLOCK ? WaitForHolder(fd) : path.string() + ": " + std::strerror(error);
        ::close(fd);
        return error == EWOULDBLOCK ? Outcome::HeldByOther : Outcome::Unavailable;
    }
    const std::string pid = std::to_string(::getpid()) + "\n";
    // Should the holder's name not be written, the lock holds all the same.
    (void)!::ftruncate(fd, 0);
    (void)!::pwrite(fd, pid.data(), pid.size(), 0);
    m_Handle = fd;
    m_Path = path;
    return Outcome::Held;
}

} // namespace dravo
