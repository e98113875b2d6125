// Reading and writing tagged-field text.
#include "host/game/TaggedFields.h"

#include "settings/DecimalText.h"

#include <algorithm>

namespace dravo {

namespace {

constexpr char FIELD_OPEN = '[';
constexpr char FIELD_SEPARATOR = ':';
constexpr char FIELD_CLOSE = ']';

std::string FieldKey(std::string_view tag) {
    std::string key;
    key.reserve(tag.size() + 2);
    key += FIELD_OPEN;
    key += tag;
    key += FIELD_SEPARATOR;
    return key;
}

} // namespace

std::optional<std::string> FindField(std::string_view message, std::string_view tag, size_t maxChars) {
    const size_t keyStart = message.find(FieldKey(tag));
    if (keyStart == std::string_view::npos) {
        return std::nullopt;
    }
    const size_t valueStart = keyStart + tag.size() + 2;
    if (message.size() - valueStart <= 1) {
        return std::nullopt;
    }
    const size_t valueEnd = message.find(FIELD_CLOSE, valueStart);
    if (valueEnd == std::string_view::npos || valueEnd == valueStart) {
        return std::nullopt;
    }
    const size_t length = std::min(valueEnd - valueStart, maxChars);
    return std::string(message.substr(valueStart, length));
}

std::optional<int32_t> FindFieldInt(std::string_view message, std::string_view tag) {
    const std::optional<std::string> value = FindField(message, tag);
    if (!value) {
        return std::nullopt;
    }
    return ParseDecimalInt(*value);
}

bool AppendField(std::string& text, std::string_view tag, std::string_view value) {
    if (value.empty()) {
        return false;
    }
    const size_t valueStart = text.size() + tag.size() + 2;
    text += FieldKey(tag);
    text += value;
    std::replace(text.begin() + static_cast<std::ptrdiff_t>(valueStart), text.end(), FIELD_CLOSE,
                 FIELD_BRACKET_STANDIN);
    text += FIELD_CLOSE;
    return true;
}

bool AppendFieldInt(std::string& text, std::string_view tag, int32_t value) {
    return AppendField(text, tag, FormatDecimalInt(value));
}

} // namespace dravo
