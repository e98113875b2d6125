// File-system helpers with the lookup rules of the game's installations:
// names are matched without regard to case and may use backslashes.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace dravo {

enum class EntryKind { None, File, Directory };

// Resolves a relative name ("Custom\levels.rez", "dravo") below base, matching
// each component without regard to case (an exact match wins). Nothing when a
// component is missing.
std::optional<std::filesystem::path> ResolveNoCase(const std::filesystem::path& base, std::string_view name);

// What a name below base is: a file, a directory, or nothing. An empty name is nothing.
EntryKind FindEntry(const std::filesystem::path& base, std::string_view name);

// The directory holding the running program.
std::filesystem::path ExecutableDirectory();

} // namespace dravo
