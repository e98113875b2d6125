// FakeDrives: drive letters whose roots are directories of the test.
#pragma once

#include "platform/fs/Drives.h"

#include <map>
#include <utility>

namespace dravo::test {

class FakeDrives final : public IDrives {
public:
    void Add(char letter, uint32_t type, std::filesystem::path root) { m_Drives[letter] = {type, std::move(root)}; }

    uint32_t DriveType(char letter) const override {
        const auto found = m_Drives.find(letter);
        return found == m_Drives.end() ? DRIVE_TYPE_NO_ROOT : found->second.first;
    }
    std::optional<std::filesystem::path> Root(char letter) const override {
        const auto found = m_Drives.find(letter);
        return found == m_Drives.end() ? std::nullopt : std::optional(found->second.second);
    }

private:
    std::map<char, std::pair<uint32_t, std::filesystem::path>> m_Drives;
};

} // namespace dravo::test
