// ResourcePath: resource names with backslashes, resolved against real directories.
#include "ResourcePath.h"

#include "TextUtil.h"

#include <system_error>

namespace dravo::ref {

namespace {

bool IsDots(const std::string& part) {
    return part == "." || part == "..";
}

// The entry of `directory` named `part` without regard to case.
std::optional<std::filesystem::path> FindEntry(const std::filesystem::path& directory, const std::string& part) {
    std::error_code code;
    std::filesystem::directory_iterator entries(directory, code);
    if (code) {
        return std::nullopt;
    }
    std::optional<std::string> best;
    for (const auto end = std::filesystem::directory_iterator(); entries != end; entries.increment(code)) {
        if (code) {
            return std::nullopt;
        }
        const std::string name = entries->path().filename().string();
        if (name == part) {
            return directory / name;
        }
        if (TextUtil::EqualsNoCase(name, part) && (!best || name < *best)) {
            best = name;
        }
    }
    if (!best) {
        return std::nullopt;
    }
    return directory / *best;
}

} // namespace

ResourcePathParts ResourcePath::Split(std::string_view name) {
    ResourcePathParts parts;
    size_t start = 0;
    while (start <= name.size()) {
        const size_t end = name.find_first_of("\\/", start);
        const size_t stop = end == std::string_view::npos ? name.size() : end;
        if (stop > start) {
            parts.emplace_back(name.substr(start, stop - start));
        }
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    return parts;
}

bool ResourcePath::StaysInside(const ResourcePathParts& parts) {
    for (const std::string& part : parts) {
        if (IsDots(part)) {
            return false;
        }
    }
    return true;
}

std::optional<std::filesystem::path> ResourcePath::Resolve(const std::filesystem::path& base,
                                                           const ResourcePathParts& parts, bool allowDots) {
    std::filesystem::path current = base;
    for (const std::string& part : parts) {
        if (IsDots(part)) {
            if (!allowDots) {
                return std::nullopt;
            }
            current /= part;
            continue;
        }
        std::optional<std::filesystem::path> next = FindEntry(current, part);
        if (!next) {
            return std::nullopt;
        }
        current = std::move(*next);
    }
    return current;
}

} // namespace dravo::ref
