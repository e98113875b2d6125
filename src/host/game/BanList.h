// BanList: the names of players kept out of the hosted game, read from a text file.
//
// Filled once by the session on the window thread before the worker starts; read
// afterwards only, so it needs no lock.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace dravo {

// Names are compared whole, up to the 63 characters a player name can have; a longer word could
// never match a player and is left out (and counted), never cut to a shorter name.
constexpr size_t MAX_BANNED_NAME_CHARS = 63;
// The file is read up to this size; the rest is left out (and said so).
constexpr size_t MAX_BAN_FILE_BYTES = size_t{1024} * 1024;

// What reading the file found.
struct BanListLoad {
    bool m_Loaded = false; // the file could be read (a regular file)
    bool m_Cut = false;    // it is larger than MAX_BAN_FILE_BYTES; the rest was left out
    size_t m_TooLong = 0;  // words longer than MAX_BANNED_NAME_CHARS, left out
};

class BanList {
public:
    // Adds every white-space separated word of the file not already listed, in order of first
    // appearance. Nothing is added when the file cannot be read (missing, not a regular file).
    BanListLoad LoadBanList(const std::filesystem::path& file);
    // The same for text already in memory.
    size_t AddWords(std::string_view text);

    // True when the list holds exactly this name (case-sensitive, whole name).
    [[nodiscard]] bool IsBanned(std::string_view name) const;

    const std::vector<std::string>& Names() const { return m_Names; }

private:
    void Add(std::string&& name);

    // Lets the set be searched with a string_view without building a string.
    struct NameHash {
        using is_transparent = void;
        size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
    };

    std::vector<std::string> m_Names;
    std::unordered_set<std::string, NameHash, std::equal_to<>> m_Lookup;
};

} // namespace dravo
