// NetGameLevelsTemplate: the setup page NET_GAMELEVELS - the level rotation - and its ids.
#pragma once

#include "window/DialogTemplate.h"

#include <string_view>

namespace dravo {

inline constexpr std::string_view NET_GAMELEVELS_NAME = "NET_GAMELEVELS";

enum class NetGameLevelsControl : int {
    GameLevels = 1029,   // list box, not sorted: the rotation in play order
    RetailLevels = 1030, // list box, sorted
    CustomLevels = 1031, // list box, sorted
    AddRetail = 1032,    // "Add >"
    AddCustom = 1033,    // "Add >"
    Remove = 1034,       // "< Remove"
    SaveLevels = 1053,   // check box, setting SaveGameLevels
    FinishHint = 1070,   // text: why Finish cannot be pressed, while the rotation is empty
};

const DialogTemplate& NetGameLevelsTemplate();

} // namespace dravo
