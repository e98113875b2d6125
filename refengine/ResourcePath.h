// ResourcePath: resource names with backslashes, resolved against real directories.
#pragma once

#include "IResourceMount.h"

#include <filesystem>
#include <optional>
#include <string_view>

namespace dravo::ref {

class ResourcePath {
public:
    // "Worlds\\Multi" -> {"Worlds", "Multi"}; backslash and slash both separate, empty components are dropped.
    static ResourcePathParts Split(std::string_view name);
    // True when no component is "." or "..", so the path cannot leave the directory it is taken in.
    [[nodiscard]] static bool StaysInside(const ResourcePathParts& parts);
    // Finds the path below base, each component matched without regard to case (an exact spelling wins,
    // then the first match in name order). "." and ".." are taken as they are only when allowDots is set.
    static std::optional<std::filesystem::path> Resolve(const std::filesystem::path& base,
                                                        const ResourcePathParts& parts, bool allowDots);
};

} // namespace dravo::ref
