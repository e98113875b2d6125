// ResourceSet: the mounted resources, in mount order, seen as one tree.
#include "ResourceSet.h"

#include "DirectoryMount.h"
#include "ResourcePath.h"
#include "RezArchive.h"
#include "TextUtil.h"

#include <algorithm>
#include <map>
#include <system_error>

namespace dravo::ref {

ResourceSet::MountResult ResourceSet::Mount(const std::filesystem::path& base, const std::vector<std::string>& names) {
    MountResult result;
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        const bool absolute = !name.empty() && (name.front() == '/' || name.front() == '\\');
        const ResourcePathParts parts = ResourcePath::Split(name);
        if (parts.empty()) {
            continue;
        }
        const std::optional<std::filesystem::path> path =
            ResourcePath::Resolve(absolute ? std::filesystem::path("/") : base, parts, true);
        std::error_code code;
        if (!path || !std::filesystem::exists(*path, code)) {
            continue;
        }
        if (std::filesystem::is_directory(*path, code)) {
            Add(std::make_unique<DirectoryMount>(*path));
        } else {
            std::string error;
            std::unique_ptr<RezArchive> archive = RezArchive::Open(*path, error);
            if (!archive) {
                if (result.m_Error.empty()) {
                    result.m_Error = std::string("Cannot mount ").append(name).append(": ").append(error);
                }
                continue;
            }
            Add(std::move(archive));
        }
        if (i == 0) {
            result.m_MainMounted = true;
        }
    }
    return result;
}

std::optional<std::vector<ResourceItem>> ResourceSet::ListDirectory(std::string_view directory) const {
    const ResourcePathParts parts = ResourcePath::Split(directory);
    if (!ResourcePath::StaysInside(parts)) {
        return std::nullopt;
    }
    std::map<std::string, ResourceItem> merged; // keyed by lower-case name, hence sorted
    bool found = false;
    for (const auto& mount : m_Mounts) {
        std::optional<std::vector<ResourceItem>> items = mount->ListDirectory(parts);
        if (!items) {
            continue;
        }
        found = true;
        for (ResourceItem& item : *items) {
            auto [place, added] = merged.try_emplace(TextUtil::ToLower(item.m_Name), item);
            if (!added) {
                place->second.m_IsDirectory = item.m_IsDirectory;
            }
        }
    }
    if (!found) {
        return std::nullopt;
    }
    std::vector<ResourceItem> listing;
    listing.reserve(merged.size());
    for (auto& entry : merged) {
        listing.push_back(std::move(entry.second));
    }
    return listing;
}

std::optional<std::string> ResourceSet::ReadFile(std::string_view path) const {
    const ResourcePathParts parts = ResourcePath::Split(path);
    if (parts.empty() || !ResourcePath::StaysInside(parts)) {
        return std::nullopt;
    }
    for (auto mount = m_Mounts.rbegin(); mount != m_Mounts.rend(); ++mount) {
        if (std::optional<std::string> bytes = (*mount)->ReadFile(parts)) {
            return bytes;
        }
    }
    return std::nullopt;
}

} // namespace dravo::ref
