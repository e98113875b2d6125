// Reading and writing numbers in the text forms of the settings store.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace dravo {

// The leading decimal integer: blanks skipped, optional sign, digits up to the
// first other character; 0 when there are none. Clamped to the int32 range.
int32_t ParseDecimalInt(std::string_view text);
// The leading decimal number (sign, digits, optional point and exponent); 0.0 when none.
double ParseDecimalNumber(std::string_view text);

// "%d" and "%f" (six decimals).
std::string FormatDecimalInt(int32_t value);
std::string FormatDecimalNumber(double value);

} // namespace dravo
