// The system's drives on Windows: the letters of GetLogicalDrives, typed by GetDriveTypeA.
#include "platform/fs/Drives.h"

#include <windows.h>

#include <cctype>
#include <string>

namespace dravo {
namespace {

class SystemDrives final : public IDrives {
public:
    uint32_t DriveType(char letter) const override {
        if (!Exists(letter)) {
            return DRIVE_TYPE_NO_ROOT;
        }
        return static_cast<uint32_t>(GetDriveTypeA(RootText(letter).c_str()));
    }
    std::optional<std::filesystem::path> Root(char letter) const override {
        if (!Exists(letter)) {
            return std::nullopt;
        }
        return std::filesystem::path(RootText(letter));
    }

private:
    static char Upper(char letter) { return static_cast<char>(std::toupper(static_cast<unsigned char>(letter))); }
    static bool Exists(char letter) {
        const char upper = Upper(letter);
        return upper >= 'A' && upper <= 'Z' && (GetLogicalDrives() & (1u << (upper - 'A'))) != 0;
    }
    static std::string RootText(char letter) { return std::string(1, Upper(letter)) + ":\\"; }
};

} // namespace

std::unique_ptr<IDrives> CreateSystemDrives() {
    return std::make_unique<SystemDrives>();
}

} // namespace dravo
