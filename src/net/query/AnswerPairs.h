// AnswerPairs: key-value pairs written once in their wire form, kept ready for
// answers to copy whole.
//
// Wire form of a pair: \key\value. A key is cut to MAX_KEY bytes and a value to
// what fits an empty packet beside its key, so that no pair is ever longer than
// MAX_PAIR; a backslash inside a value is sent as BACKSLASH_STAND_IN, so that a
// value never adds keys of its own. Pure logic; the text grows only while the
// pairs are written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dravo {

class AnswerPairs {
public:
    static constexpr size_t MAX_KEY = 64;
    // The longest pair, backslashes included: what the packet builder fits into an empty packet.
    static constexpr size_t MAX_PAIR = 4046;
    static constexpr char BACKSLASH_STAND_IN = '/';

    void Clear();
    void Add(std::string_view key, std::string_view value);
    void AddInt(std::string_view key, int32_t value);

    // Every pair, one after the other.
    std::string_view Text() const { return m_Text; }
    // Where each pair ends in Text(), in order.
    const std::vector<uint32_t>& Ends() const { return m_Ends; }
    size_t Count() const { return m_Ends.size(); }

    // The length of the pair as written.
    static size_t Length(std::string_view key, std::string_view value);
    // Writes the pair to `out`, which has room for Length(key, value) bytes; returns that length.
    static size_t Write(std::string_view key, std::string_view value, char* out);

private:
    std::string m_Text;
    std::vector<uint32_t> m_Ends;
};

} // namespace dravo
