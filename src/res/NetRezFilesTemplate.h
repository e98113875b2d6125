// NetRezFilesTemplate: the setup page NET_REZFILES - extra archives from "Custom" - and its ids.
#pragma once

#include "window/DialogTemplate.h"

#include <string_view>

namespace dravo {

inline constexpr std::string_view NET_REZFILES_NAME = "NET_REZFILES";

enum class NetRezFilesControl : int {
    Remove = 1034,    // "< Remove"
    Available = 1050, // list box, sorted: the archives found in "Custom"
    ToLoad = 1051,    // list box, not sorted: the archives to load, in load order
    Add = 1052,       // "Add >"
};

const DialogTemplate& NetRezFilesTemplate();

} // namespace dravo
