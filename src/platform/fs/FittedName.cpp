// Names that fit: cut at a character's start, told apart by a hash of the whole name.
#include "platform/fs/FittedName.h"

#include <cstdint>

namespace dravo {
namespace {

constexpr size_t HASH_DIGITS = 8;

// FNV-1a: the same on every system and in every run, as a lock's name must be.
uint32_t NameHash(std::string_view name) {
    uint32_t hash = 2166136261U;
    for (const char c : name) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619U;
    }
    return hash;
}

bool ContinuesCharacter(char c) {
    return (static_cast<unsigned char>(c) & 0xC0U) == 0x80U;
}

} // namespace

std::string FittedName(std::string_view prefix, std::string_view name, std::string_view suffix) {
    if (prefix.size() + name.size() + suffix.size() <= MAX_FILE_NAME_BYTES) {
        return std::string(prefix) + std::string(name) + std::string(suffix);
    }
    const size_t fixed = prefix.size() + 1 + HASH_DIGITS + suffix.size();
    size_t keep = fixed < MAX_FILE_NAME_BYTES ? MAX_FILE_NAME_BYTES - fixed : 0;
    while (keep > 0 && keep < name.size() && ContinuesCharacter(name[keep])) {
        --keep;
    }
    constexpr char HEX[] = "0123456789abcdef";
    std::string hash(HASH_DIGITS, '0');
    uint32_t value = NameHash(name);
    for (size_t digit = HASH_DIGITS; digit-- > 0; value >>= 4U) {
        hash[digit] = HEX[value & 0xFU];
    }
    return std::string(prefix) + std::string(name.substr(0, keep)) + "~" + hash + std::string(suffix);
}

} // namespace dravo
