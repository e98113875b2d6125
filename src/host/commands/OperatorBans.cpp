// The operator's ban commands: ban, unban, banlist and banreload.
#include "host/commands/CommandService.h"

#include "host/commands/CommandArguments.h"
#include "host/commands/CommandWords.h"

#include <chrono>
#include <cstdio>

namespace dravo {
namespace {

// "2026-12-09 14:05 UTC"; "-" for a time not known.
std::string FormatUtc(int64_t seconds) {
    if (seconds <= 0) {
        return "-";
    }
    using namespace std::chrono;
    const sys_seconds moment{std::chrono::seconds(seconds)};
    const sys_days day = floor<days>(moment);
    const year_month_day date{day};
    const hh_mm_ss time{moment - day};
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d UTC", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()));
    return text;
}

} // namespace

void CommandService::Ban(std::string_view line, const CommandOrigin& origin) {
    std::string error;
    const std::optional<TargetArguments> arguments = ParseTargetArguments(line, true, error);
    if (!arguments) {
        LogUsage("ban", error);
        return;
    }
    const std::vector<RosterPlayer> roster = m_Session.Facts().Roster();
    std::vector<RosterPlayer> found = FindTargets(roster, arguments->m_Target);
    // A player named by id is banned by name; a name nobody plays under now is banned all the same.
    const std::string name = found.empty() ? arguments->m_Target : found.front().m_Name;
    if (!IsBannableName(name)) {
        m_Session.LogLine("%s cannot be banned: a banned name has 1 to %s characters and no blanks; kick instead.",
                          name.c_str(), std::to_string(MAX_BANNED_NAME_CHARS).c_str());
        return;
    }
    BanStore& bans = m_Session.Bans();
    const int64_t now = bans.Now();
    BanRecord record{name, now, arguments->m_Seconds ? now + *arguments->m_Seconds : BAN_FOREVER, origin.Describe(),
                     arguments->m_Reason.substr(0, MAX_BAN_REASON_CHARS)};
    const bool saved = bans.Ban(record, error);
    m_Session.LogLine("Banned %s %s by %s%s%s", name.c_str(),
                      arguments->m_Seconds ? ("for " + FormatDuration(*arguments->m_Seconds)).c_str() : "for good",
                      record.m_Origin.c_str(), record.m_Reason.empty() ? "." : ": ", record.m_Reason.c_str());
    if (!saved) {
        m_Session.LogLine("ERROR - The ban holds until the server stops but was not saved: %s.", error.c_str());
    }
    for (const RosterPlayer& player : FindTargets(roster, name)) {
        (void)m_Session.Boot(player.m_Id);
    }
    m_Session.Counters().SetBannedNames(bans.Bans().size());
}

void CommandService::Unban(std::string_view line, const CommandOrigin& origin) {
    const CommandWords words(line);
    if (words.Count() != 2 || words.Word(1).empty()) {
        LogUsage("unban", "give the banned name, as banlist shows it");
        return;
    }
    const std::string name(words.Word(1));
    std::string error;
    BanStore& bans = m_Session.Bans();
    if (bans.Unban(name, error)) {
        m_Session.LogLine("Unbanned %s by %s.", name.c_str(), origin.Describe().c_str());
    } else {
        m_Session.LogLine("%s was not unbanned: %s.", name.c_str(), error.c_str());
    }
    m_Session.Counters().SetBannedNames(bans.Bans().size());
}

void CommandService::ListBans() {
    BanStore& bans = m_Session.Bans();
    const std::vector<BanRecord> records = bans.Bans();
    const int64_t now = bans.Now();
    m_Session.LogLine("Bans: %s", std::to_string(records.size()).c_str());
    for (const BanRecord& record : records) {
        const std::string left = record.IsPermanent() ? "for good" : FormatDuration(record.m_Until - now) + " left";
        m_Session.LogLine("%s\t%s\tby %s\tsince %s\t%s", record.m_Name.c_str(), left.c_str(), record.m_Origin.c_str(),
                          FormatUtc(record.m_Since).c_str(),
                          record.m_Reason.empty() ? "(no reason)" : record.m_Reason.c_str());
    }
}

void CommandService::ReloadBans() {
    m_Session.LoadBans();
    m_Session.LogLine("Bans: %s, read again from the ban files.",
                      std::to_string(m_Session.Bans().Bans().size()).c_str());
}

} // namespace dravo
