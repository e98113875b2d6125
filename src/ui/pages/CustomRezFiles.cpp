// Finding the custom rez files and naming them in the RezFileList.
#include "ui/pages/CustomRezFiles.h"

#include "platform/fs/FileSystem.h"
#include "platform/os/Text.h"
#include "res/StringTable.h"

#include <system_error>

namespace dravo {
namespace {

constexpr std::string_view REZ_ENDING = ".rez";

} // namespace

std::vector<std::string> FindCustomRezFiles(const std::filesystem::path& base) {
    std::vector<std::string> names;
    std::error_code error;
    const std::filesystem::path custom = base / CUSTOM_DIRECTORY;
    std::filesystem::directory_iterator entries(custom, error);
    if (error) {
        return names;
    }
    for (const auto& entry : entries) {
        const std::string name = entry.path().filename().string();
        // An archive may also be an unpacked directory of the same name.
        const bool usable = entry.is_regular_file(error) || entry.is_directory(error);
        if (usable && name.size() > REZ_ENDING.size() && EndsWithNoCase(name, REZ_ENDING) &&
            CUSTOM_PREFIX.size() + name.size() <= REZ_FILE_NAME_MAX_CHARS) {
            names.push_back(name);
        }
    }
    return names;
}

std::string RezEntryShownName(std::string_view entry) {
    if (StartsWithNoCase(entry, CUSTOM_PREFIX)) {
        return std::string(entry.substr(CUSTOM_PREFIX.size()));
    }
    return std::string(entry);
}

TextList MissingRezFiles(const std::filesystem::path& base, const TextList& entries) {
    TextList missing;
    for (const std::string& entry : entries) {
        const bool rooted = entry.starts_with('\\') || entry.starts_with('/') || (entry.size() >= 2 && entry[1] == ':');
        if (!rooted && FindEntry(base, entry) == EntryKind::None) {
            missing.push_back(entry);
        }
    }
    return missing;
}

std::string MissingRezFilesMessage(const TextList& missing) {
    std::string text(StringTable::Find(STR_UNABLE_TO_LOAD_RESOURCES).value_or(""));
    text += "\n";
    for (const std::string& entry : missing) {
        text += "\nNo such rez file: " + entry;
    }
    return text;
}

std::string RezEntryFromShownName(std::string_view shown) {
    if (shown.find('\\') != std::string_view::npos) {
        return std::string(shown);
    }
    return std::string(CUSTOM_PREFIX) + std::string(shown);
}

} // namespace dravo
