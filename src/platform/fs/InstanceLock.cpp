// The instance lock's file name: what every platform shares.
#include "platform/fs/InstanceLock.h"

#include "platform/fs/FittedName.h"

namespace dravo {

std::filesystem::path InstanceLock::LockPath(const std::filesystem::path& file) {
    const std::filesystem::path real = RealName(file);
    return real.parent_path() / FittedName(".", real.filename().string(), ".lock");
}

} // namespace dravo
