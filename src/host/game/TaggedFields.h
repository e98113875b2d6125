// Tagged-field text: fields written as "[" tag ":" value "]", one after another.
//
// The game code sends its messages in this form and the session describes the
// hosted game to the engine with it. A value is any text without "]".
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dravo {

// Values are read into 128-byte buffers, player names into 64-byte ones.
constexpr size_t FIELD_VALUE_CHARS = 127;
constexpr size_t PLAYER_NAME_CHARS = 63;

// What AppendField writes in place of a "]" inside a value, which would end the field early.
constexpr char FIELD_BRACKET_STANDIN = ')';

// The value of the first field with exactly this tag, cut to maxChars characters.
// None when the tag is absent, the value is empty or unterminated, or at most one
// character follows the key. The key ends in ":", so PLRN1 never matches inside PLRN10.
std::optional<std::string> FindField(std::string_view message, std::string_view tag,
                                     size_t maxChars = FIELD_VALUE_CHARS);

// The field's value read as a leading decimal integer (0 without digits); none when absent.
std::optional<int32_t> FindFieldInt(std::string_view message, std::string_view tag);

// Appends "[" tag ":" value "]"; false and nothing appended when the value is empty.
// A "]" in the value is written as FIELD_BRACKET_STANDIN so a reader gets the whole value.
[[nodiscard]] bool AppendField(std::string& text, std::string_view tag, std::string_view value);

// Appends the number in decimal ("%i").
[[nodiscard]] bool AppendFieldInt(std::string& text, std::string_view tag, int32_t value);

} // namespace dravo
