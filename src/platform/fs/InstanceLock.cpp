// The instance lock's file name: what every platform shares.
#include "platform/fs/InstanceLock.h"

#include "platform/fs/FittedName.h"

namespace dravo {

std::filesystem::path InstanceLock::LockPath(const std::filesystem::path& file) {
    std::error_code error;
    std::filesystem::path real = file;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(file, error))) {
        const std::filesystem::path target = std::filesystem::canonical(file, error);
        if (!error) {
            real = target;
        }
    }
    return real.parent_path() / FittedName(".", real.filename().string(), ".lock");
}

} // namespace dravo
