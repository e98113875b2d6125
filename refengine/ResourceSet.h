// ResourceSet: the mounted resources, in mount order, seen as one tree.
//
// A directory listing merges every mount that has the directory, each name
// once (letter case ignored, first spelling kept, the kind of the last mount
// that has it). A file is read from the last mount that holds it, so a later
// archive overrides an earlier one. Read-only once built.
#pragma once

#include "IResourceMount.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace dravo::ref {

class ResourceSet {
public:
    struct MountResult {
        bool m_MainMounted = false; // the first name was found and mounted
        std::string m_Error;        // set when a name that exists could not be mounted
    };
    // Mounts the names in order, each resolved against `base` ("Custom\\x.rez", "dravo", "sound.rez";
    // every component matched without regard to case). A name that does not exist is skipped;
    // a directory is mounted as it is, a file as a ".rez" archive.
    MountResult Mount(const std::filesystem::path& base, const std::vector<std::string>& names);

    void Add(std::unique_ptr<IResourceMount> mount) { m_Mounts.push_back(std::move(mount)); }
    size_t Count() const { return m_Mounts.size(); }

    // "Worlds\\Multi"; "" or "\\" is the root. Sorted without regard to case; empty optional when no
    // mount has the directory.
    std::optional<std::vector<ResourceItem>> ListDirectory(std::string_view directory) const;
    std::optional<std::string> ReadFile(std::string_view path) const;

private:
    std::vector<std::unique_ptr<IResourceMount>> m_Mounts;
};

} // namespace dravo::ref
