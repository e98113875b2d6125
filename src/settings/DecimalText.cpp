// Decimal text forms, without locale and without hexadecimal or "inf" forms.
#include "settings/DecimalText.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <limits>

namespace dravo {
namespace {

bool IsBlank(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

size_t SkipBlanks(std::string_view text) {
    size_t at = 0;
    while (at < text.size() && IsBlank(text[at])) {
        ++at;
    }
    return at;
}

} // namespace

int32_t ParseDecimalInt(std::string_view text) {
    size_t at = SkipBlanks(text);
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    int64_t magnitude = 0;
    constexpr int64_t LIMIT = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    for (; at < text.size() && IsDigit(text[at]); ++at) {
        magnitude = std::min(LIMIT, magnitude * 10 + (text[at] - '0'));
    }
    const int64_t value = negative ? -magnitude : magnitude;
    return static_cast<int32_t>(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

double ParseDecimalNumber(std::string_view text) {
    size_t at = SkipBlanks(text);
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    // Find the extent of digits [. digits] [e [sign] digits] before converting.
    const size_t start = at;
    size_t digits = 0;
    for (; at < text.size() && IsDigit(text[at]); ++at) {
        ++digits;
    }
    if (at < text.size() && text[at] == '.') {
        ++at;
        for (; at < text.size() && IsDigit(text[at]); ++at) {
            ++digits;
        }
    }
    if (digits == 0) {
        return 0.0;
    }
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        size_t exponent = at + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) {
            ++exponent;
        }
        if (exponent < text.size() && IsDigit(text[exponent])) {
            at = exponent;
            while (at < text.size() && IsDigit(text[at])) {
                ++at;
            }
        }
    }
    double value = 0.0;
    const auto result = std::from_chars(text.data() + start, text.data() + at, value);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large, or too small to hold: the sign of the exponent tells which.
        const std::string_view number = text.substr(start, at - start);
        const bool tiny = number.find("e-") != std::string_view::npos || number.find("E-") != std::string_view::npos;
        value = tiny ? 0.0 : std::numeric_limits<double>::max();
    } else if (result.ec != std::errc()) {
        value = 0.0;
    }
    return negative ? -value : value;
}

std::string FormatDecimalInt(int32_t value) {
    return std::to_string(value);
}

std::string FormatDecimalNumber(double value) {
    char text[384]; // "%f" of the largest double needs 316 characters
    std::snprintf(text, sizeof text, "%f", value);
    return text;
}

} // namespace dravo
