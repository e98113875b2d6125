// IResourceMount: one mounted resource source, a directory or an archive.
//
// Paths inside a mount are lists of components; every component is matched
// without regard to case. Implementations are read-only after construction,
// so one mount may be read from several threads at once.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace dravo::ref {

struct ResourceItem {
    std::string m_Name; // bare name, spelled as the mount spells it
    bool m_IsDirectory; // false for a file
};

using ResourcePathParts = std::vector<std::string>;

// The largest file a mount hands out, from a directory or an archive: a level is a few hundred KiB.
constexpr size_t MAX_RESOURCE_FILE_SIZE = size_t{64} * 1024 * 1024;

class IResourceMount {
public:
    virtual ~IResourceMount() = default;
    // The items of a directory (no components = the root); empty optional when the mount has no such directory.
    virtual std::optional<std::vector<ResourceItem>> ListDirectory(const ResourcePathParts& directory) const = 0;
    // The whole content of a file; empty optional when the mount has no such file or it cannot be read.
    virtual std::optional<std::string> ReadFile(const ResourcePathParts& file) const = 0;
};

} // namespace dravo::ref
