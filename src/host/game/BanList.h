// BanList: the names of players kept out of the hosted game, each for good or until a moment.
//
// Filled by the session from the ban files on the window thread, and replaced whole by the operator's
// ban commands there, while state updates check names on whichever thread delivers them: the list
// guards itself with its own mutex, never held while anything else is called.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace dravo {

// Names are compared whole, up to the 63 characters a player name can have; a longer word could
// never match a player and is left out (and counted), never cut to a shorter name.
constexpr size_t MAX_BANNED_NAME_CHARS = 63;
// The file is read up to this size; the rest is left out (and said so).
constexpr size_t MAX_BAN_FILE_BYTES = size_t{1024} * 1024;
// The end of a ban that never ends.
constexpr int64_t BAN_FOREVER = 0;

// What reading the file found.
struct BanListLoad {
    bool m_Loaded = false; // the file could be read (a regular file)
    bool m_Cut = false;    // it is larger than MAX_BAN_FILE_BYTES; the rest was left out
    size_t m_TooLong = 0;  // words longer than MAX_BANNED_NAME_CHARS, left out
};

// The white-space separated words of a ban file's text, each of at most MAX_BANNED_NAME_CHARS, in order
// (repeats kept); `tooLong` counts the longer words left out.
std::vector<std::string> BanFileWords(std::string_view text, size_t& tooLong);

// The system's clock in whole seconds since 1970 (UTC).
int64_t WallClockSeconds();

class BanList {
public:
    using Ban = std::pair<std::string, int64_t>; // a name and the second its ban ends (BAN_FOREVER)

    // Adds every white-space separated word of the file not already listed, in order of first
    // appearance, banned for good. Nothing is added when the file cannot be read (missing, not a
    // regular file).
    BanListLoad LoadBanList(const std::filesystem::path& file);
    // The same for text already in memory.
    size_t AddWords(std::string_view text);
    // The list becomes exactly these bans (the first of a name counts).
    void Replace(const std::vector<Ban>& bans);

    // True when the list holds exactly this name (case-sensitive, whole name) and its ban has not ended.
    [[nodiscard]] bool IsBanned(std::string_view name) const { return IsBannedAt(name, WallClockSeconds()); }
    [[nodiscard]] bool IsBannedAt(std::string_view name, int64_t nowSeconds) const;

    std::vector<std::string> Names() const;

private:
    void Add(std::string&& name, int64_t until);

    // Lets the map be searched with a string_view without building a string.
    struct NameHash {
        using is_transparent = void;
        size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
    };

    mutable std::mutex m_Mutex;
    std::vector<std::string> m_Names;                                            // guarded by m_Mutex
    std::unordered_map<std::string, int64_t, NameHash, std::equal_to<>> m_Until; // guarded by m_Mutex
};

} // namespace dravo
