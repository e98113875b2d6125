// The running program's directory on Linux: /proc/self/exe, which follows a symbolic link to the program.
#include "platform/fs/FileSystem.h"

#include <system_error>

namespace dravo {

std::filesystem::path ExecutableDirectory() {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::current_path() : self.parent_path();
}

} // namespace dravo
