// CustomRezFiles: the extra archives the operator may load - the "*.rez" files of the "Custom"
// directory - and the RezFileList entries naming them.
#pragma once

#include "settings/ServerSettings.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace dravo {

inline constexpr std::string_view CUSTOM_DIRECTORY = "Custom";
inline constexpr std::string_view CUSTOM_PREFIX = "Custom\\"; // how an entry names a file of "Custom"

// The names (without path) of the "*.rez" files in base/Custom, the ending matched without regard to
// case, in directory order. Names whose entry ("Custom\" and the name) would not fit a stored
// RezFileList entry are left out. Empty when the directory is missing or unreadable. The current
// directory is not changed.
std::vector<std::string> FindCustomRezFiles(const std::filesystem::path& base);

// How the rez page shows an entry: without a leading "Custom\" (in any case).
std::string RezEntryShownName(std::string_view entry);
// The entry for a shown name: unchanged when it holds a backslash, else "Custom\" and the name.
std::string RezEntryFromShownName(std::string_view shown);

// The entries that name nothing below base, neither an archive nor an unpacked directory: the engine
// would pass over them without a word. Names with a drive letter or from the root are left to it.
TextList MissingRezFiles(const std::filesystem::path& base, const TextList& entries);
// What the operator is told of them: the resource error, then each name on a line of its own.
std::string MissingRezFilesMessage(const TextList& missing);

} // namespace dravo
