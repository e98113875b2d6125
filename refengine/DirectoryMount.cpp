// DirectoryMount: an unpacked resource directory on disk.
#include "DirectoryMount.h"

#include "ReadOnlyFile.h"
#include "ResourcePath.h"

#include <system_error>

namespace dravo::ref {

std::optional<std::vector<ResourceItem>> DirectoryMount::ListDirectory(const ResourcePathParts& directory) const {
    const std::optional<std::filesystem::path> path = ResourcePath::Resolve(m_Root, directory, false);
    std::error_code code;
    if (!path || !std::filesystem::is_directory(*path, code)) {
        return std::nullopt;
    }
    std::vector<ResourceItem> items;
    std::filesystem::directory_iterator entries(*path, code);
    for (const auto end = std::filesystem::directory_iterator(); !code && entries != end; entries.increment(code)) {
        std::error_code statusCode;
        const auto status = entries->status(statusCode); // follows links
        if (statusCode) {
            continue;
        }
        if (std::filesystem::is_regular_file(status) || std::filesystem::is_directory(status)) {
            items.push_back({entries->path().filename().string(), std::filesystem::is_directory(status)});
        }
    }
    if (code) {
        return std::nullopt;
    }
    return items;
}

std::optional<std::string> DirectoryMount::ReadFile(const ResourcePathParts& file) const {
    if (file.empty()) {
        return std::nullopt;
    }
    const std::optional<std::filesystem::path> path = ResourcePath::Resolve(m_Root, file, false);
    std::string bytes;
    if (!path || !ReadOnlyFile::ReadAll(*path, MAX_FILE_SIZE, bytes).empty()) {
        return std::nullopt;
    }
    return bytes;
}

} // namespace dravo::ref
