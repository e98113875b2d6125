// ConsoleSecrets: engine variables whose values never reach the console log (the secret entries of the
// service table: the remote console's password), and the masking that keeps them out.
//
// The session reads their values from the engine when hosting starts and after every console command;
// the console log masks every line it takes, from any thread. A value is masked wherever it stands in
// a line that names its variable (a variable listing), and anywhere at all once it is MIN_MASKED_CHARS
// long; the command that sets one is logged with "********" for its value.
#pragma once

#include "engine/EngineServer.h"
#include "settings/ServiceVariables.h"

#include <array>
#include <mutex>
#include <string>
#include <string_view>

namespace dravo {

inline constexpr std::string_view SECRET_MASK = "********";
constexpr size_t MIN_MASKED_CHARS = 4;
constexpr size_t SECRET_VALUE_SIZE = 256; // the longest value read, with its terminator

class ConsoleSecrets {
public:
    // Reads every secret variable from the engine; one that is absent or unreadable counts as empty.
    void ReadFrom(EngineServer& server);
    void SetValue(std::string_view name, std::string_view value);
    // The current value of a secret variable; empty when it is not set.
    std::string Value(std::string_view name) const;

    // The line with every secret value in it masked.
    std::string MaskLine(std::string_view line) const;
    // A console command as the log may show it: the value it gives a secret variable is masked.
    static std::string MaskCommand(std::string_view command);

private:
    mutable std::mutex m_Mutex;
    std::array<std::string, SECRET_VARIABLES.size()> m_Values; // guarded by m_Mutex
};

} // namespace dravo
