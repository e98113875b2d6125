// Start-up errors: an OK message box with the exclamation icon, captioned "DravoServ"; and the question
// asked before something is lost.
#pragma once

#include "window/WindowSystem.h"

#include <string_view>

namespace dravo {

inline constexpr std::string_view APPLICATION_NAME = "DravoServ";

void ShowErrorBox(WindowSystem& windows, std::string_view text);
// The same box with a text of the string table.
void ShowStringError(WindowSystem& windows, int stringId);
// A Yes/No question with the question icon before something is lost (the game, the log, the setup): it
// opens on No, so that a reflex Enter keeps everything. True when the operator answered Yes.
bool ConfirmLoss(WindowSystem& windows, std::string_view question, std::string_view caption);

} // namespace dravo
