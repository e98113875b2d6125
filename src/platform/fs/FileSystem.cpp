// Case-blind name lookup over std::filesystem.
#include "platform/fs/FileSystem.h"
#include "platform/os/Text.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace dravo {
namespace {

std::optional<std::filesystem::path> FindComponent(const std::filesystem::path& directory, std::string_view name) {
    std::error_code error;
    const auto exact = directory / std::string(name);
    if (std::filesystem::exists(exact, error)) {
        return exact;
    }
    std::filesystem::directory_iterator entries(directory, error);
    if (error) {
        return std::nullopt;
    }
    for (const auto& entry : entries) {
        if (EqualNoCase(entry.path().filename().string(), name)) {
            return entry.path();
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<std::filesystem::path> ResolveNoCase(const std::filesystem::path& base, std::string_view name) {
    std::filesystem::path current = base;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("\\/", start);
        if (end == std::string_view::npos) {
            end = name.size();
        }
        const std::string_view component = name.substr(start, end - start);
        if (!component.empty() && component != ".") {
            auto found = component == ".." ? std::optional(current / "..") : FindComponent(current, component);
            if (!found) {
                return std::nullopt;
            }
            current = *found;
        }
        start = end + 1;
    }
    return current;
}

EntryKind FindEntry(const std::filesystem::path& base, std::string_view name) {
    if (name.empty()) {
        return EntryKind::None;
    }
    const auto path = ResolveNoCase(base, name);
    std::error_code error;
    if (!path) {
        return EntryKind::None;
    }
    const auto status = std::filesystem::status(*path, error);
    if (error || !std::filesystem::exists(status)) {
        return EntryKind::None;
    }
    return std::filesystem::is_directory(status) ? EntryKind::Directory : EntryKind::File;
}

} // namespace dravo
