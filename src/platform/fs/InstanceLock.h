// InstanceLock: one running program per file.
//
// Take holds an advisory lock on a lock file beside the given file (".<name>.lock", in the directory of
// the file a link leads to) for as long as the object lives, with the holder's process id written in it,
// so that a second program that would use the same file can be refused and told who holds it. The lock
// goes with the process however it ends; the small file stays (emptied by a normal end), and the next
// run takes it over. A second program that finds the lock held as the holder is taking it waits up to a
// second for the holder's id to appear. The lock file's name fits the system's limit for every file
// name (FittedName).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace dravo {

class InstanceLock {
public:
    enum class Outcome {
        Held,        // ours until the object goes
        HeldByOther, // another process holds it: `detail` is its process id as its file says (or empty)
        Unavailable, // no lock file could be made or locked (a directory this user may not write, a
                     // directory or a link where the lock file goes): `detail` says why
    };

    InstanceLock() = default;
    ~InstanceLock() { Release(); }
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    Outcome Take(const std::filesystem::path& file, std::string& detail);
    // Lets the lock go before the object does (nothing when it is not held).
    void Release();
    // True while the lock is held and its file is still the one at the lock's path: one deleted or
    // replaced since guards nothing, as a second program would make a lock file of its own there.
    bool Guards() const;

    // The lock file of a file: beside the file a link leads to, named after the file's real name.
    static std::filesystem::path LockPath(const std::filesystem::path& file);

private:
    // The file as the system finds it: on POSIX systems a link's target; on Windows the final path
    // (links and junctions followed, trailing dots and blanks dropped) with its name in lower case, as
    // every spelling of one file must give one lock.
    static std::filesystem::path RealName(const std::filesystem::path& file);

    intptr_t m_Handle = -1;       // a descriptor on POSIX systems, a HANDLE on Windows
    std::filesystem::path m_Path; // of the lock file held
};

} // namespace dravo
