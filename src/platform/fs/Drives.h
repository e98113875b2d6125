// IDrives: drive letters, for the one place the program looks for a game disc.
//
// Windows has drive letters (GetLogicalDrives, GetDriveTypeA); other systems have none, and their system
// drives report none. Tests supply drives of their own to show the disc lookup.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>

namespace dravo {

constexpr uint32_t DRIVE_TYPE_NO_ROOT = 1;
constexpr uint32_t DRIVE_TYPE_CDROM = 5;

class IDrives {
public:
    virtual ~IDrives() = default;
    // The type of the drive whose root is "<letter>:\"; DRIVE_TYPE_NO_ROOT when there is none.
    virtual uint32_t DriveType(char letter) const = 0;
    // Where the root of that drive lives in this machine's file system, if anywhere.
    virtual std::optional<std::filesystem::path> Root(char letter) const = 0;
};

std::unique_ptr<IDrives> CreateSystemDrives();

} // namespace dravo
