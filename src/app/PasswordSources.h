// PasswordSources: the remote console's password from where other local users cannot read it.
//
// An "+RconPassword value" override shows in every local user's process list. Instead the password may come
// from a file named by "+RconPasswordFile path" (its first line, read at start; refused when its group or
// others may read it) or from the environment variable DRAVO_RCON_PASSWORD. The one found becomes an
// "+RconPassword" override of the program's own copy of the arguments: an override given on the command
// line wins over the file, the file over the environment. A value left on the command line is wiped from the
// process's arguments once read.
#pragma once

#include <string>
#include <vector>

namespace dravo {

inline constexpr const char* RCON_PASSWORD_ENVIRONMENT = "DRAVO_RCON_PASSWORD";
constexpr size_t MAX_PASSWORD_FILE_BYTES = 4096;

// Adds the password of the file or the environment (`environmentValue`, null when unset) to `arguments`
// (arguments[0] is the program path) and takes "+RconPasswordFile path" out; returns why the file cannot be
// used, empty when all is well.
std::string AddPasswordFromSources(std::vector<std::string>& arguments, const char* environmentValue);

// Overwrites, in place, the value that follows each "+RconPassword" among the process's arguments.
void WipeSecretArguments(int argc, char** argv);

} // namespace dravo
