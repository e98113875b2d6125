// ApplyGameOptions: sends the game options to the game as console commands.
#pragma once

#include "engine/EngineServer.h"
#include "engine/HostingRecords.h"

#include <string>
#include <vector>

namespace dravo {

constexpr size_t OPTION_COMMAND_SIZE = 128; // each command is at most 127 characters

// The commands for these options, in the order they are sent: "Key %i" for a toggle, "Key %f" for a
// number, "Key \"%s\"" for the night colour. A number of 0 and an empty night colour are left out, so the
// game keeps its own value.
std::vector<std::string> GameOptionCommands(const GameOptions& options);

// Those commands joined by "; " as the log tells what was applied; "(none sent)" for none.
std::string JoinGameOptionCommands(const GameOptions& options);

// Runs those commands; false only when the server object or the record is missing.
[[nodiscard]] bool ApplyGameOptions(EngineServer* server, const GameOptions* options);

// Fills a record with the start values (toggles on, numbers 1.0, time speed -1.0).
void SetGameOptionsStartValues(GameOptions& options);

} // namespace dravo
