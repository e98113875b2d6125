// VariableReader: the one way the program reads the engine variables of its service table
// (ServiceVariables), on the window thread when hosting starts and after console commands.
//
// A variable that is absent, unreadable or empty gives nothing, and the caller keeps its default. One
// that is set but not taken (out of its range, no number, no address) gives nothing
// too, and a line saying so, with its range and the default that holds, waits in Problems() for the
// caller to log.
#pragma once

#include "engine/EngineServer.h"
#include "settings/ServiceVariables.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace dravo {

class VariableReader {
public:
    // The longest text read, with its terminator (a URL fits; a longer value is cut).
    static constexpr size_t MAX_TEXT_SIZE = 1024;

    explicit VariableReader(EngineServer& server) : m_Server(server) {}

    // A Number or Whole entry's value within its range (a Whole one without its fraction).
    std::optional<double> Number(const ServiceVariable& variable);
    std::optional<uint32_t> Whole(const ServiceVariable& variable);
    // A Number entry counted in seconds, as milliseconds.
    std::optional<std::chrono::milliseconds> Seconds(const ServiceVariable& variable);
    // A Text or Secret entry's value (whether a secret is long enough is its user's to say).
    std::optional<std::string> Text(const ServiceVariable& variable);
    // An Address entry's IPv4 address, in host order.
    std::optional<uint32_t> Address(const ServiceVariable& variable);

    // The lines about values not taken, in the order read; taking them empties the list.
    std::vector<std::string> TakeProblems() { return std::exchange(m_Problems, {}); }

private:
    // The value as the engine holds it, as text; nothing when absent, unreadable or empty.
    std::optional<std::string> Raw(const ServiceVariable& variable);
    void Refuse(const ServiceVariable& variable, const std::string& value, const std::string& why);

    EngineServer& m_Server;
    std::vector<std::string> m_Problems;
};

// "from 1 to 65535", "above 1, up to 2000000": a range as the log and the guide say it.
std::string DescribeRange(const ServiceVariable& variable);

} // namespace dravo
