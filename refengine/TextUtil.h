// Small text helpers shared by the engine's console, files and resources.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace dravo::ref {

class TextUtil {
public:
    // ASCII lower case; other bytes stay as they are.
    static std::string ToLower(std::string_view text);
    [[nodiscard]] static bool EqualsNoCase(std::string_view a, std::string_view b);
    // True when the byte is a blank, tab or line break.
    [[nodiscard]] static bool IsBlank(char c);
    static std::string_view Trim(std::string_view text);
    // The leading decimal number of the text: blanks skipped, optional sign, digits, optional fraction
    // and exponent. 0 when there is none; values beyond the float range are clamped to it.
    static float LeadingFloat(std::string_view text);
    // A whole number with nothing else around it but blanks; false when the text is anything else.
    [[nodiscard]] static bool ParseWholeNumber(std::string_view text, long long& value);
    // A decimal number with nothing else around it but blanks.
    [[nodiscard]] static bool ParseNumber(std::string_view text, double& value);
    // Copies the text into a C buffer, cut to size - 1 bytes and terminated. False (nothing written)
    // for a null buffer or a size of 0.
    [[nodiscard]] static bool CopyCut(std::string_view text, char* buffer, uint32_t size);
};

} // namespace dravo::ref
