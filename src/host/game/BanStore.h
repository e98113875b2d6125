// BanStore: the bans as the two ban files keep them, read at start and on request, written as the
// consoles ban and unban.
//
// Contract. The window thread alone calls it (start-up's InitSession and the operator's commands); it
// keeps the session's BanList, which the game's state updates read on any thread, equal to its bans.
// Every write reads the file again first, so that what the operator wrote into "banned.txt" while the
// server ran stays, and puts the new contents in place whole (never a half-written file).
#pragma once

#include "host/game/BanBook.h"
#include "host/game/BanList.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace dravo {

inline constexpr const char* BAN_DETAILS_FILE = "banned_details.txt";

struct BanFiles {
    std::filesystem::path m_Names = "banned.txt";       // the names banned for good
    std::filesystem::path m_Details = BAN_DETAILS_FILE; // every console ban's reason, origin and end
};

// What a load found.
struct BanStoreLoad {
    BanListLoad m_Names;                    // "banned.txt" (not loaded: missing or not a file)
    bool m_DetailsRead = false;             // the details file was there and read
    std::vector<BanFileProblem> m_Problems; // damaged lines of the details file, skipped
    size_t m_Dropped = 0;                   // detail lines of bans that have ended or were taken out by hand
};

class BanStore {
public:
    using WallClock = std::function<int64_t()>;

    explicit BanStore(BanList& list, WallClock now = WallClockSeconds) : m_List(list), m_Now(std::move(now)) {}

    void SetFiles(BanFiles files) { m_Files = std::move(files); }
    const BanFiles& Files() const { return m_Files; }

    // Reads both files again; the bans become theirs.
    BanStoreLoad Load();
    // Bans (or bans again, replacing the earlier ban of the name); false with the reason when a file could
    // not be written (the ban then holds until the server stops).
    [[nodiscard]] bool Ban(BanRecord record, std::string& error);
    // False with the reason when nobody of that name is banned or a file could not be written.
    [[nodiscard]] bool Unban(std::string_view name, std::string& error);
    // The bans that have not ended, in the order they were made or read.
    std::vector<BanRecord> Bans();
    int64_t Now() const { return m_Now(); }

private:
    [[nodiscard]] bool WriteDetails(std::string& error);
    void Publish();

    BanList& m_List;
    WallClock m_Now;
    BanFiles m_Files;
    BanBook m_Book;
};

// "banned.txt" with the name added on a line of its own (unchanged when it holds the name already).
std::string AddBanFileName(std::string_view text, std::string_view name);
// "banned.txt" without the name: each line that held it loses the word, and goes when nothing is left.
std::string RemoveBanFileName(std::string_view text, std::string_view name);

} // namespace dravo
