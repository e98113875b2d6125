// EnvironmentArguments: the documented DRAVO_* variables as the arguments they stand for, so that a
// container, a panel or a service unit can set the server up without a start script.
//
//   DRAVO_CONFIG        -CONFIG file          DRAVO_PORT          +Port
//   DRAVO_LOGFILE       -logfile file         DRAVO_QUERY_PORT    +SpyQueryPort
//   DRAVO_SERVER_NAME   +ServerName           DRAVO_MAX_PLAYERS   +MaxPlayers
//   DRAVO_BIND_ADDRESS  +net_bindaddress (set, even empty)
//
// (DRAVO_GAME_DIR, the directory to start in, and DRAVO_CONFIG_SAMPLE, the configuration a first run
// starts from, are taken at start-up; DRAVO_RCON_PASSWORD by PasswordSources.)
//
// An unset or empty variable adds nothing (DRAVO_BIND_ADDRESS aside).
//
// A panel gives its start command in STARTUP, with {{NAME}} for each of its variables: that command's
// words are added, the first (the command's own name) left out: words split at blanks, kept together in
// double or single quotes, each {{NAME}} becoming the variable's value as it stands (never split, never
// read again).
//
// The order is the program's name, the variables' arguments, the panel's command, then the command
// line's own arguments: what comes later wins.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace dravo {

// The game's installation directory, which the program starts in when this names it.
inline constexpr const char* GAME_DIRECTORY_VARIABLE = "DRAVO_GAME_DIR";

// The value of an environment variable, or null when it is not set.
using EnvironmentLookup = std::function<const char*(const char* name)>;

// At most this many bytes of STARTUP are read, and at most this many words made of it.
constexpr size_t MAX_STARTUP_BYTES = 8192;
constexpr size_t MAX_STARTUP_WORDS = 256;

// `arguments` (arguments[0] is the program path) with the variables' arguments and the panel's command
// in; `error` says why STARTUP cannot be used (an open quote, too long), and then nothing is added.
std::vector<std::string> WithEnvironmentArguments(const std::vector<std::string>& arguments,
                                                  const EnvironmentLookup& lookup, std::string& error);

// STARTUP's words, its {{NAME}}s replaced; empty with `error` set when it cannot be read.
std::vector<std::string> StartupWords(const std::string& command, const EnvironmentLookup& lookup, std::string& error);

} // namespace dravo
