// CommandOrigin: where a console line comes from, as the log names it.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace dravo {

enum class OriginKind : uint8_t {
    Console, // the console window's input, the headless face's standard input, a test
    Remote,  // a remote console client
    Fleet,   // the fleet client
};

struct CommandOrigin {
    OriginKind m_Kind = OriginKind::Console;
    std::string m_Address; // a remote client's "address:port"

    static CommandOrigin Console() { return {}; }
    static CommandOrigin Remote(std::string address) { return {OriginKind::Remote, std::move(address)}; }
    static CommandOrigin Fleet() { return {OriginKind::Fleet, {}}; }

    bool IsConsole() const { return m_Kind == OriginKind::Console; }
    // "console", "remote 127.0.0.1:50123", "fleet".
    std::string Describe() const {
        switch (m_Kind) {
        case OriginKind::Remote:
            return "remote " + m_Address;
        case OriginKind::Fleet:
            return "fleet";
        default:
            return "console";
        }
    }
};

// How a console line ended.
enum class CommandOutcome : uint8_t {
    Ran,           // it ran (an error the command reported itself is among its lines)
    Refused,       // a setting's value the rules do not take; the reason is among its lines
    UnknownAction, // "/name" that this origin may not use, or that does not exist
    ConsoleGone,   // the console window had closed: nothing ran
};

// What one console line produced: the lines it logged on the window thread while it ran (the command
// itself first), at most the limit it was given.
struct CommandResult {
    CommandOutcome m_Outcome = CommandOutcome::Ran;
    std::vector<std::string> m_Lines;
    size_t m_LeftOut = 0; // bytes of lines past the limit
};

} // namespace dravo
