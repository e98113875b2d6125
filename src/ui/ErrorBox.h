// Start-up errors: an OK message box with the exclamation icon, captioned "DravoServ".
#pragma once

#include "platform/window/WindowSystem.h"

#include <string_view>

namespace dravo {

inline constexpr std::string_view APPLICATION_NAME = "DravoServ";

void ShowErrorBox(WindowSystem& windows, std::string_view text);
// The same box with a text of the string table.
void ShowStringError(WindowSystem& windows, int stringId);

} // namespace dravo
