// Files that are not regular files, for the readers that must refuse them: a FIFO, a device.
#pragma once

#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace dravo::test {

// Makes a FIFO; false where the system has none (Windows).
inline bool MakeFifo(const std::filesystem::path& path) {
#ifdef _WIN32
    (void)path;
    return false;
#else
    return mkfifo(path.c_str(), 0600) == 0;
#endif
}

// A link to a device that never ends (/dev/zero); false where there is none.
inline bool LinkEndlessDevice(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::exists("/dev/zero", error)) {
        return false;
    }
    std::filesystem::create_symlink("/dev/zero", path, error);
    return !error;
}

} // namespace dravo::test
