// Reading the ban list: the words of a bounded regular file.
#include "host/game/BanList.h"

#include "platform/fs/BoundedFile.h"

namespace dravo {

namespace {

// The C locale's white space: blank, tab, line feed, vertical tab, form feed, carriage return.
bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

BanListLoad BanList::LoadBanList(const std::filesystem::path& file) {
    BanListLoad load;
    const BoundedFile read = ReadBoundedFile(file, MAX_BAN_FILE_BYTES);
    if (!read.HasText()) {
        return load;
    }
    load.m_Loaded = true;
    load.m_Cut = read.m_Outcome == BoundedFile::Outcome::Cut;
    load.m_TooLong = AddWords(read.m_Bytes);
    return load;
}

size_t BanList::AddWords(std::string_view text) {
    size_t tooLong = 0;
    size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && IsWhiteSpace(text[at])) {
            ++at;
        }
        const size_t start = at;
        while (at < text.size() && !IsWhiteSpace(text[at])) {
            ++at;
        }
        if (at == start) {
            break;
        }
        if (at - start > MAX_BANNED_NAME_CHARS) {
            ++tooLong;
        } else {
            Add(std::string(text.substr(start, at - start)));
        }
    }
    return tooLong;
}

bool BanList::IsBanned(std::string_view name) const {
    return m_Lookup.find(name) != m_Lookup.end();
}

void BanList::Add(std::string&& name) {
    if (m_Lookup.find(name) != m_Lookup.end()) {
        return;
    }
    m_Lookup.insert(name);
    m_Names.push_back(std::move(name));
}

} // namespace dravo
