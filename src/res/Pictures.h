// Pictures: the program's bitmap "DRAVO" and icon 128 as small text pictures that any face can show
// (a terminal draws the rows; a face that cannot show pictures ignores them).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace dravo {

inline constexpr std::string_view DRAVO_BITMAP_NAME = "DRAVO";
constexpr int PROGRAM_ICON_ID = 128;

struct TextPicture {
    int16_t m_PixelWidth = 0;                 // size of the picture the text stands for
    int16_t m_PixelHeight = 0;                //
    std::span<const std::string_view> m_Rows; // equal-length rows of characters, top to bottom
};

class Pictures {
public:
    // The bitmap with this resource name (matched exactly), or nullptr.
    static const TextPicture* FindBitmap(std::string_view name);
    // The icon with this number, or nullptr.
    static const TextPicture* FindIcon(int id);
};

} // namespace dravo
