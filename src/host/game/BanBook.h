// BanBook: every ban with its reason, its origin and its end, as the two ban files hold them.
//
// "banned.txt" names the players banned for good, one word each, and stays as the operator writes it.
// The details file beside it holds one line per ban that the consoles made, timed or not:
//
//     <name> TAB <since> TAB <until> TAB <origin> TAB <reason>
//
// since and until are seconds since 1970 (UTC); until is "never" for a ban for good; origin is who
// banned ("console", "remote 127.0.0.1:50123", "fleet"); the reason may be empty. Blank lines and
// lines beginning with # are passed over; a damaged line is named and skipped. A ban for good counts
// only while its name is in "banned.txt" (taking it out by hand unbans), and a ban that has ended is
// dropped. Pure logic: the store reads and writes the files.
#pragma once

#include "host/game/BanList.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dravo {

// The origin of a ban that "banned.txt" alone names.
inline constexpr std::string_view BAN_FILE_ORIGIN = "banned.txt";
inline constexpr std::string_view BAN_NEVER_ENDS = "never";
// The longest reason kept; a longer one is cut.
constexpr size_t MAX_BAN_REASON_CHARS = 200;

struct BanRecord {
    std::string m_Name;   // whole and exact, as the player is named; no white space
    int64_t m_Since = 0;  // when it was made, seconds since 1970 (0: not known)
    int64_t m_Until = 0;  // when it ends, seconds since 1970; BAN_FOREVER for good
    std::string m_Origin; // who banned
    std::string m_Reason; // may be empty

    bool IsPermanent() const { return m_Until == BAN_FOREVER; }
    bool operator==(const BanRecord&) const = default;
};

// A line of the details file that was skipped, and why.
struct BanFileProblem {
    size_t m_Line = 0;
    std::string m_What;
};

struct BanDetails {
    std::vector<BanRecord> m_Records;
    std::vector<BanFileProblem> m_Problems;
};

// True for a name a ban file can hold: 1 to MAX_BANNED_NAME_CHARS characters, no white space.
[[nodiscard]] bool IsBannableName(std::string_view name);
// One line of the details file, or nothing with `why` set.
std::optional<BanRecord> ParseBanRecord(std::string_view line, std::string& why);
// The line for a record (its reason's tabs and line ends become blanks), without a line end.
std::string FormatBanRecord(const BanRecord& record);
BanDetails ParseBanDetails(std::string_view text);
// The whole details file: a comment saying what it holds, then one line per record.
std::string FormatBanDetails(const std::vector<BanRecord>& records);

class BanBook {
public:
    // The bans of both files at `now`: a word of "banned.txt" bans for good (with the details' reason and
    // origin when they have a ban for good of that name); the details' timed bans that have not ended
    // follow. Returns how many detail records were dropped (ended, or for good but no longer in the file).
    size_t Assemble(const std::vector<std::string>& permanentNames, const std::vector<BanRecord>& details, int64_t now);
    // Adds the ban, or replaces the one of the same name.
    void Put(BanRecord record);
    [[nodiscard]] bool Remove(std::string_view name);
    // Drops the bans that have ended by `now`; how many.
    size_t DropEnded(int64_t now);

    const BanRecord* Find(std::string_view name) const;
    const std::vector<BanRecord>& Records() const { return m_Records; }
    // The records the details file keeps: all but those that "banned.txt" alone made.
    std::vector<BanRecord> Detailed() const;
    std::vector<BanList::Ban> ListBans() const;

private:
    std::vector<BanRecord> m_Records;
};

} // namespace dravo
