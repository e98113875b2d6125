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

// A longer word in the file is cut to this many characters rather than skipped, so
// that the file's words always show up in the list. A cut entry bans only a player
// whose whole name is those 31 characters, since names are compared whole.
constexpr size_t MAX_BANNED_NAME_CHARS = 31;

class BanList {
public:
    // Adds every white-space separated word of the file not already listed, in order
    // of first appearance. False, and nothing added, when the file cannot be opened.
    [[nodiscard]] bool LoadBanList(const std::filesystem::path& file);

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
