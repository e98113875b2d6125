// Reading the ban list: the words of a bounded regular file; checking names against it.
#include "host/game/BanList.h"

#include "platform/fs/BoundedFile.h"

#include <chrono>

namespace dravo {

namespace {

// The C locale's white space: blank, tab, line feed, vertical tab, form feed, carriage return.
bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

std::vector<std::string> BanFileWords(std::string_view text, size_t& tooLong) {
    std::vector<std::string> words;
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
            words.emplace_back(text.substr(start, at - start));
        }
    }
    return words;
}

int64_t WallClockSeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

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
    std::vector<std::string> words = BanFileWords(text, tooLong);
    std::scoped_lock lock(m_Mutex);
    for (std::string& word : words) {
        Add(std::move(word), BAN_FOREVER);
    }
    return tooLong;
}

void BanList::Replace(const std::vector<Ban>& bans) {
    std::scoped_lock lock(m_Mutex);
    m_Names.clear();
    m_Until.clear();
    for (const auto& [name, until] : bans) {
        Add(std::string(name), until);
    }
}

bool BanList::IsBannedAt(std::string_view name, int64_t nowSeconds) const {
    std::scoped_lock lock(m_Mutex);
    const auto found = m_Until.find(name);
    return found != m_Until.end() && (found->second == BAN_FOREVER || found->second > nowSeconds);
}

std::vector<std::string> BanList::Names() const {
    std::scoped_lock lock(m_Mutex);
    return m_Names;
}

void BanList::Add(std::string&& name, int64_t until) {
    if (m_Until.find(name) != m_Until.end()) {
        return;
    }
    m_Until.emplace(name, until);
    m_Names.push_back(std::move(name));
}

} // namespace dravo
