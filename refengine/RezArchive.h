// RezArchive: a ".rez" archive opened for reading (layout in RezFormat.h).
//
// Open reads and checks the header and the whole entry table; file data is
// read from disk when asked for. A corrupt or truncated archive is refused
// with a reason, never read out of bounds.
#pragma once

#include "IResourceMount.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace dravo::ref {

class RezArchive final : public IResourceMount {
public:
    struct Entry {
        ResourcePathParts m_Parts; // the name split at its backslashes
        std::string m_Name;        // the name as stored
        uint32_t m_Offset;
        uint32_t m_Size;
    };

    // The archive, or null with `error` saying why it was refused.
    static std::unique_ptr<RezArchive> Open(const std::filesystem::path& path, std::string& error);

    const std::vector<Entry>& Entries() const { return m_Entries; }

    std::optional<std::vector<ResourceItem>> ListDirectory(const ResourcePathParts& directory) const override;
    std::optional<std::string> ReadFile(const ResourcePathParts& file) const override;

    // Checks one stored name against the rules of the format; empty when it is good.
    static std::string CheckName(std::string_view name);

private:
    RezArchive(std::filesystem::path path, std::vector<Entry> entries)
        : m_Path(std::move(path)), m_Entries(std::move(entries)) {}

    std::filesystem::path m_Path;
    std::vector<Entry> m_Entries;
};

} // namespace dravo::ref
