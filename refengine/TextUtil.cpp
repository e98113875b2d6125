// Small text helpers shared by the engine's console, files and resources.
#include "TextUtil.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace dravo::ref {

namespace {

char LowerByte(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Length of the decimal number at the start of text (no sign), 0 when there is none.
size_t NumberLength(std::string_view text) {
    size_t at = 0;
    size_t digits = 0;
    while (at < text.size() && IsDigit(text[at])) {
        ++at;
        ++digits;
    }
    if (at < text.size() && text[at] == '.') {
        ++at;
        while (at < text.size() && IsDigit(text[at])) {
            ++at;
            ++digits;
        }
    }
    if (digits == 0) {
        return 0;
    }
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        size_t exponent = at + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) {
            ++exponent;
        }
        if (exponent < text.size() && IsDigit(text[exponent])) {
            while (exponent < text.size() && IsDigit(text[exponent])) {
                ++exponent;
            }
            at = exponent;
        }
    }
    return at;
}

// Reads an optional sign and a number from the start of text; returns how many bytes it used (0: none).
size_t ReadNumber(std::string_view text, double& value) {
    size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    const size_t length = NumberLength(text.substr(at));
    if (length == 0) {
        return 0;
    }
    double magnitude = 0.0;
    const char* first = text.data() + at;
    const auto result = std::from_chars(first, first + length, magnitude);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: decide by the exponent's sign.
        const std::string_view digits(first, length);
        const size_t e = digits.find_first_of("eE");
        const bool tiny = e != std::string_view::npos && e + 1 < digits.size() && digits[e + 1] == '-';
        magnitude = tiny ? 0.0 : std::numeric_limits<double>::max();
    }
    value = negative ? -magnitude : magnitude;
    return at + length;
}

} // namespace

std::string TextUtil::ToLower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), LowerByte);
    return lower;
}

bool TextUtil::EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerByte(x) == LowerByte(y); });
}

bool TextUtil::IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view TextUtil::Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

float TextUtil::LeadingFloat(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    double value = 0.0;
    if (ReadNumber(text, value) == 0) {
        return 0.0f;
    }
    constexpr double LIMIT = std::numeric_limits<float>::max();
    return static_cast<float>(std::clamp(value, -LIMIT, LIMIT));
}

bool TextUtil::ParseWholeNumber(std::string_view text, long long& value) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') {
            return false;
        }
    }
    if (text.empty()) {
        return false;
    }
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

bool TextUtil::ParseNumber(std::string_view text, double& value) {
    text = Trim(text);
    const size_t used = ReadNumber(text, value);
    return used != 0 && used == text.size() && std::isfinite(value);
}

bool TextUtil::CopyCut(std::string_view text, char* buffer, uint32_t size) {
    if (buffer == nullptr || size == 0) {
        return false;
    }
    const size_t count = std::min<size_t>(text.size(), size - 1);
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
    return true;
}

} // namespace dravo::ref
