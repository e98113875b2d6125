// The wizard's side picture and the program icon, drawn in characters.
#include "res/Pictures.h"

namespace dravo {
namespace {

// A tall banner: 9 cells by 15 rows fill the wizard's 36 x 125 unit picture frame.
constexpr std::string_view DRAVO_ROWS[] = {
    " .-----. ",  //
    " |  D  | ",  //
    " |  R  | ",  //
    " |  A  | ",  //
    " |  V  | ",  //
    " |  O  | ",  //
    " '-----' ",  //
    "    ^    ",  //
    "   /|\\   ", //
    "  /_|_\\  ", //
    " <=====> ",  //
    "  \\___/  ", //
    "   | |   ",  //
    "   |_|   ",  //
    "  '---'  ",  //
};

constexpr std::string_view ICON_ROWS[] = {
    " /^\\ ", //
    "<-D->",  //
    " \\v/ ", //
};

constexpr TextPicture DRAVO_BITMAP = {26, 156, DRAVO_ROWS};
constexpr TextPicture PROGRAM_ICON = {32, 32, ICON_ROWS};

} // namespace

const TextPicture* Pictures::FindBitmap(std::string_view name) {
    return name == DRAVO_BITMAP_NAME ? &DRAVO_BITMAP : nullptr;
}

const TextPicture* Pictures::FindIcon(int id) {
    return id == PROGRAM_ICON_ID ? &PROGRAM_ICON : nullptr;
}

} // namespace dravo
