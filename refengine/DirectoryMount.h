// DirectoryMount: an unpacked resource directory on disk.
#pragma once

#include "IResourceMount.h"

#include <filesystem>

namespace dravo::ref {

class DirectoryMount final : public IResourceMount {
public:
    explicit DirectoryMount(std::filesystem::path root) : m_Root(std::move(root)) {}

    std::optional<std::vector<ResourceItem>> ListDirectory(const ResourcePathParts& directory) const override;
    std::optional<std::string> ReadFile(const ResourcePathParts& file) const override;

    // Resource files larger than this are not read into memory.
    static constexpr size_t MAX_FILE_SIZE = MAX_RESOURCE_FILE_SIZE;

private:
    std::filesystem::path m_Root;
};

} // namespace dravo::ref
