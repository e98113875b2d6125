// Decimal text forms, without locale and without hexadecimal or "inf" forms: std::from_chars reads the
// number, a clamp keeps it in range.
#include "settings/DecimalText.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <limits>

namespace dravo {
namespace {

// The blanks of the C locale, whatever locale the terminal face sets for characters.
constexpr std::string_view BLANKS = " \t\n\v\f\r";

// The text after its leading blanks and its sign; `negative` tells whether the sign was a minus.
std::string_view Unsigned(std::string_view text, bool& negative) {
    text.remove_prefix(std::min(text.find_first_not_of(BLANKS), text.size()));
    negative = text.starts_with('-');
    if (text.starts_with('+') || negative) {
        text.remove_prefix(1);
    }
    return text;
}

// For a number too large or too small for a double: true when it is below one, its first significant
// digit standing after the point once the exponent is applied.
bool BelowOne(std::string_view number) {
    constexpr int64_t EXPONENT_LIMIT = int64_t{1} << 48; // far beyond any double, far from overflow
    const size_t mark = number.find_first_of("eE");
    int64_t exponent = 0;
    if (mark != std::string_view::npos) {
        std::string_view digits = number.substr(mark + 1);
        digits.remove_prefix(digits.starts_with('+') ? 1 : 0);
        if (std::from_chars(digits.data(), digits.data() + digits.size(), exponent).ec ==
            std::errc::result_out_of_range) {
            exponent = digits.starts_with('-') ? -EXPONENT_LIMIT : EXPONENT_LIMIT;
        }
    }
    const std::string_view mantissa = number.substr(0, mark);
    const size_t point = std::min(mantissa.find('.'), mantissa.size());
    const size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos) {
        return true; // zero
    }
    const int64_t lead = first < point ? static_cast<int64_t>(point - first) - 1 : -static_cast<int64_t>(first - point);
    return lead + std::clamp(exponent, -EXPONENT_LIMIT, EXPONENT_LIMIT) < 0;
}

} // namespace

int32_t ParseDecimalInt(std::string_view text) {
    bool negative = false;
    text = Unsigned(text, negative);
    // Unsigned, so that a second sign is no number; digits beyond any range count as the largest.
    uint64_t magnitude = 0;
    if (std::from_chars(text.data(), text.data() + text.size(), magnitude).ec == std::errc::result_out_of_range) {
        magnitude = std::numeric_limits<uint64_t>::max();
    }
    constexpr uint64_t LIMIT = uint64_t{std::numeric_limits<int32_t>::max()} + 1;
    const int64_t value = static_cast<int64_t>(std::min(magnitude, LIMIT));
    return static_cast<int32_t>(std::clamp<int64_t>(negative ? -value : value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

double ParseDecimalNumber(std::string_view text) {
    bool negative = false;
    text = Unsigned(text, negative);
    // A digit or a point must come first: from_chars would also read "inf" and "nan".
    if (text.empty() || (text.front() != '.' && (text.front() < '0' || text.front() > '9'))) {
        return 0.0;
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) {
        value =
            BelowOne(text.substr(0, static_cast<size_t>(end - text.data()))) ? 0.0 : std::numeric_limits<double>::max();
    } else if (error != std::errc()) {
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
