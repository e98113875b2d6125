// The system's drives on POSIX systems: none, there are no drive letters.
#include "platform/fs/Drives.h"

namespace dravo {
namespace {

class SystemDrives final : public IDrives {
public:
    uint32_t DriveType(char) const override { return DRIVE_TYPE_NO_ROOT; }
    std::optional<std::filesystem::path> Root(char) const override { return std::nullopt; }
};

} // namespace

std::unique_ptr<IDrives> CreateSystemDrives() {
    return std::make_unique<SystemDrives>();
}

} // namespace dravo
