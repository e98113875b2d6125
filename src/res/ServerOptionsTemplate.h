// ServerOptionsTemplate: the dialog SERVER_OPTIONS, the game options while the game runs. Its controls
// carry the ids of OptionsControl.
#pragma once

#include "res/NetOptionsTemplate.h"
#include "window/DialogTemplate.h"

#include <string_view>

namespace dravo {

inline constexpr std::string_view SERVER_OPTIONS_NAME = "SERVER_OPTIONS";

const DialogTemplate& ServerOptionsTemplate();

} // namespace dravo
