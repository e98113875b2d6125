// Reading the ban list: one word at a time, never holding more than one name.
#include "host/BanList.h"

#include <fstream>
#include <iterator>

namespace dravo {

namespace {

// The C locale's white space: blank, tab, line feed, vertical tab, form feed, carriage return.
bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

bool BanList::LoadBanList(const std::filesystem::path& file) {
    // A directory opens on this platform but cannot be read as a list.
    std::error_code error;
    if (std::filesystem::is_directory(file, error)) {
        return false;
    }
    std::ifstream in(file);
    if (!in) {
        return false;
    }
    // Read character by character so a huge word costs no more memory than a short one.
    std::string word;
    bool inWord = false;
    for (std::istreambuf_iterator<char> it(in), end; it != end; ++it) {
        const char c = *it;
        if (IsWhiteSpace(c)) {
            if (inWord) {
                Add(std::move(word));
                word.clear();
                inWord = false;
            }
        } else {
            inWord = true;
            if (word.size() < MAX_BANNED_NAME_CHARS) {
                word += c;
            }
        }
    }
    if (inWord) {
        Add(std::move(word));
    }
    return true;
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
