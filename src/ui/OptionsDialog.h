// OpenOptionsDialog: the console window's "&Options..." action. Shows SERVER_OPTIONS over the running
// window; on OK sends the game options to the game and stores them.
//
// Window thread, while the game is hosted. The dialog edits a copy of the record, which goes back into
// the shared record under the given lock (the worker reads the record while it holds that lock). The
// engine takes the commands and settings from this thread while the worker runs its frames; it
// serialises those calls itself, as for the console window's other commands.
#pragma once

#include "engine/EngineServer.h"
#include "engine/HostingRecords.h"
#include "host/state/UpdateLock.h"
#include "window/WindowSystem.h"

#include <string_view>

namespace dravo {

inline constexpr std::string_view OPTIONS_BUSY_MESSAGE =
    "ERROR - The game did not let go of its options in time; nothing was changed. Try again.";
#ifdef _WIN32
inline constexpr std::string_view OPTIONS_NEED_SCREEN_MESSAGE =
    "ERROR - The game options dialog needs a window. Send the option commands (for example "
    "\"RunSpeed 1.5\") as console commands instead.";
#else
inline constexpr std::string_view OPTIONS_NEED_SCREEN_MESSAGE =
    "ERROR - The game options dialog needs a terminal. Send the option commands (for example "
    "\"RunSpeed 1.5\") as console commands instead.";
#endif

// True when the operator pressed OK and the options were sent and stored. A colour picked before
// Cancel stays in the record, unsent and unstored. recordLock may be null when no other thread reads
// the record.
[[nodiscard]] bool OpenOptionsDialog(WindowSystem& windows, EngineServer* server, GameOptions* options,
                                     UpdateLock* recordLock = nullptr);

} // namespace dravo
