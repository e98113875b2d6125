// Pairs in wire form.
#include "net/query/AnswerPairs.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace dravo {
namespace {

constexpr char SEPARATOR = '\\';

std::string_view CutKey(std::string_view key) {
    return key.substr(0, std::min(key.size(), AnswerPairs::MAX_KEY));
}

// Room for the value beside a (cut) key and the two separators.
std::string_view CutValue(std::string_view key, std::string_view value) {
    return value.substr(0, std::min(value.size(), AnswerPairs::MAX_PAIR - 2 - key.size()));
}

} // namespace

void AnswerPairs::Clear() {
    m_Text.clear();
    m_Ends.clear();
}

size_t AnswerPairs::Length(std::string_view key, std::string_view value) {
    key = CutKey(key);
    return 2 + key.size() + CutValue(key, value).size();
}

size_t AnswerPairs::Write(std::string_view key, std::string_view value, char* out) {
    key = CutKey(key);
    value = CutValue(key, value);
    char* at = out;
    *at++ = SEPARATOR;
    at = std::copy(key.begin(), key.end(), at);
    *at++ = SEPARATOR;
    at = std::replace_copy(value.begin(), value.end(), at, SEPARATOR, BACKSLASH_STAND_IN);
    return static_cast<size_t>(at - out);
}

void AnswerPairs::Add(std::string_view key, std::string_view value) {
    const size_t start = m_Text.size();
    m_Text.resize(start + Length(key, value));
    const size_t written = Write(key, value, m_Text.data() + start);
    m_Ends.push_back(static_cast<uint32_t>(start + written));
}

void AnswerPairs::AddInt(std::string_view key, int32_t value) {
    char text[16];
    const auto result = std::to_chars(text, text + sizeof text, value);
    Add(key, std::string_view(text, static_cast<size_t>(result.ptr - text)));
}

} // namespace dravo
