// KeptCopies: the copies kept beside the configuration file: the file as it was loaded when some of its
// lines could not be read ("<file>.orig"), and the run's settings when the file itself had to be left
// alone ("<file>.new").
//
// At most MAX_KEPT_COPIES of each kind are kept: "<file><suffix>", then "<file><suffix>.1" and ".2".
// A copy whose bytes are already kept under one of those names is not made again; when every name is
// taken, the oldest copy makes room. Names fit the system's limit however long the file's name is. A
// copy is written whole and flushed to disk, with the file's owner, group and mode, or not at all.
#pragma once

#include "platform/fs/FileReplacement.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace dravo {

class KeptCopies {
public:
    static constexpr int MAX_KEPT_COPIES = 3;
    static constexpr std::string_view ORIGINAL_SUFFIX = ".orig";
    static constexpr std::string_view NEW_SUFFIX = ".new";

    // The name for a copy of `file` with these bytes (nothing known of them: std::nullopt), and whether
    // a copy with those very bytes stands there already.
    struct Choice {
        std::filesystem::path m_Path;
        bool m_AlreadyKept = false;
    };
    static Choice Choose(const std::filesystem::path& file, std::string_view suffix,
                         std::optional<std::string_view> bytes);
    // Keeps the bytes as the ".orig" copy of `file`; the copy's path, or nothing with the reason.
    static std::optional<std::filesystem::path> KeepOriginal(const std::filesystem::path& file, std::string_view bytes,
                                                             const FileOwnership& ownership, std::string& error);
    // The name under which a file is written before it takes its place: beside it, only this program's.
    static std::filesystem::path WritingName(const std::filesystem::path& file);
};

} // namespace dravo
