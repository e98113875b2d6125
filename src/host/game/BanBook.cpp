// The bans of both ban files: reading and writing the details file's lines, and joining the two files.
#include "host/game/BanBook.h"

#include <algorithm>
#include <charconv>

namespace dravo {
namespace {

constexpr char FIELD_SEPARATOR = '\t';
constexpr size_t FIELD_COUNT = 5;
constexpr const char* DETAILS_HEADER =
    "# Bans made at the consoles: name<TAB>since<TAB>until<TAB>origin<TAB>reason\n"
    "# (seconds since 1970, UTC; until \"never\" for a ban for good, which also needs its name in banned.txt)\n";

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t at = 0;
    while (fields.size() + 1 < FIELD_COUNT) {
        const size_t tab = line.find(FIELD_SEPARATOR, at);
        if (tab == std::string_view::npos) {
            break;
        }
        fields.push_back(line.substr(at, tab - at));
        at = tab + 1;
    }
    fields.push_back(line.substr(at)); // the reason keeps whatever follows
    return fields;
}

std::optional<int64_t> ParseSeconds(std::string_view text) {
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0) {
        return std::nullopt;
    }
    return value;
}

std::string OneLine(std::string_view text, size_t maxChars) {
    std::string line(text.substr(0, maxChars));
    std::ranges::replace_if(
        line, [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
    return line;
}

} // namespace

bool IsBannableName(std::string_view name) {
    return !name.empty() && name.size() <= MAX_BANNED_NAME_CHARS && std::ranges::none_of(name, [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    });
}

std::optional<BanRecord> ParseBanRecord(std::string_view line, std::string& why) {
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    const std::vector<std::string_view> fields = SplitFields(line);
    if (fields.size() < FIELD_COUNT - 1) {
        why = "it needs name, since, until and origin, separated by tabs";
        return std::nullopt;
    }
    BanRecord record;
    record.m_Name = std::string(fields[0]);
    if (!IsBannableName(record.m_Name)) {
        why = "the name is empty, too long or holds white space";
        return std::nullopt;
    }
    const std::optional<int64_t> since = ParseSeconds(fields[1]);
    const std::optional<int64_t> until = fields[2] == BAN_NEVER_ENDS ? BAN_FOREVER : ParseSeconds(fields[2]);
    if (!since || !until || (*until != BAN_FOREVER && *until <= 0)) {
        why = "since and until must be seconds since 1970 (until may be \"never\")";
        return std::nullopt;
    }
    record.m_Since = *since;
    record.m_Until = *until;
    record.m_Origin = OneLine(fields[3], MAX_BAN_REASON_CHARS);
    if (record.m_Origin.empty()) {
        why = "the origin is empty";
        return std::nullopt;
    }
    record.m_Reason = fields.size() == FIELD_COUNT ? OneLine(fields[4], MAX_BAN_REASON_CHARS) : std::string();
    return record;
}

std::string FormatBanRecord(const BanRecord& record) {
    std::string line = record.m_Name;
    line += FIELD_SEPARATOR + std::to_string(record.m_Since) + FIELD_SEPARATOR;
    line += record.IsPermanent() ? std::string(BAN_NEVER_ENDS) : std::to_string(record.m_Until);
    line += FIELD_SEPARATOR + OneLine(record.m_Origin, MAX_BAN_REASON_CHARS);
    line += FIELD_SEPARATOR + OneLine(record.m_Reason, MAX_BAN_REASON_CHARS);
    return line;
}

BanDetails ParseBanDetails(std::string_view text) {
    BanDetails details;
    size_t number = 0;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++number;
        if (line.find_first_not_of(" \t\r") == std::string_view::npos || line.front() == '#') {
            continue;
        }
        std::string why;
        if (std::optional<BanRecord> record = ParseBanRecord(line, why)) {
            details.m_Records.push_back(std::move(*record));
        } else {
            details.m_Problems.push_back({number, std::move(why)});
        }
    }
    return details;
}

std::string FormatBanDetails(const std::vector<BanRecord>& records) {
    std::string text = DETAILS_HEADER;
    for (const BanRecord& record : records) {
        text += FormatBanRecord(record);
        text += '\n';
    }
    return text;
}

size_t BanBook::Assemble(const std::vector<std::string>& permanentNames, const std::vector<BanRecord>& details,
                         int64_t now) {
    m_Records.clear();
    for (const std::string& name : permanentNames) {
        if (Find(name) != nullptr) {
            continue;
        }
        const auto detail = std::ranges::find_if(
            details, [&name](const BanRecord& record) { return record.IsPermanent() && record.m_Name == name; });
        m_Records.push_back(
            detail != details.end() ? *detail : BanRecord{name, 0, BAN_FOREVER, std::string(BAN_FILE_ORIGIN), {}});
    }
    size_t dropped = 0;
    for (const BanRecord& record : details) {
        if (record.IsPermanent()) {
            dropped += Find(record.m_Name) == nullptr ? 1 : 0;
        } else if (record.m_Until <= now) {
            ++dropped;
        } else if (Find(record.m_Name) == nullptr) {
            m_Records.push_back(record);
        }
    }
    return dropped;
}

void BanBook::Put(BanRecord record) {
    const auto same = std::ranges::find(m_Records, record.m_Name, &BanRecord::m_Name);
    if (same != m_Records.end()) {
        *same = std::move(record);
    } else {
        m_Records.push_back(std::move(record));
    }
}

bool BanBook::Remove(std::string_view name) {
    return std::erase_if(m_Records, [name](const BanRecord& record) { return record.m_Name == name; }) > 0;
}

size_t BanBook::DropEnded(int64_t now) {
    return std::erase_if(m_Records,
                         [now](const BanRecord& record) { return !record.IsPermanent() && record.m_Until <= now; });
}

const BanRecord* BanBook::Find(std::string_view name) const {
    const auto found = std::ranges::find(m_Records, name, &BanRecord::m_Name);
    return found == m_Records.end() ? nullptr : &*found;
}

std::vector<BanRecord> BanBook::Detailed() const {
    std::vector<BanRecord> detailed;
    std::ranges::copy_if(m_Records, std::back_inserter(detailed),
                         [](const BanRecord& record) { return record.m_Origin != BAN_FILE_ORIGIN; });
    return detailed;
}

std::vector<BanList::Ban> BanBook::ListBans() const {
    std::vector<BanList::Ban> bans;
    bans.reserve(m_Records.size());
    for (const BanRecord& record : m_Records) {
        bans.emplace_back(record.m_Name, record.m_Until);
    }
    return bans;
}

} // namespace dravo
