// AllocatedEmpty: the time an Allocated game server has gone without players, and what is done when the
// operator's limit is reached: the server shuts down, or offers itself to the fleet again (Ready).
//
// The request thread feeds it at every round; it counts on the program's clock from the first round that
// saw the server Allocated and empty, and anew after any player or any other state. It falls due once per
// such stretch.
#pragma once

#include "platform/os/Clock.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dravo {

enum class EmptyAction : uint8_t { Shutdown, Ready };

struct AllocatedEmptyOptions {
    uint32_t m_DelayMs = 0; // 0: off
    EmptyAction m_Action = EmptyAction::Shutdown;
};

// The action's name as the operator writes it ("shutdown", "ready", in any case); none for other text.
std::optional<EmptyAction> ReadEmptyAction(std::string_view text);

class AllocatedEmptyTimer {
public:
    AllocatedEmptyTimer(IClock& clock, AllocatedEmptyOptions options) : m_Clock(clock), m_Options(options) {}

    // True when the server has been Allocated and empty for the delay: once, until the stretch ends.
    bool Due(bool allocated, bool empty);
    // Milliseconds until Due, while a stretch is counted and has not fallen due.
    std::optional<uint32_t> Left() const;
    // The stretch ends (the server was made Ready again): a new allocation counts anew.
    void Restart() {
        m_Since.reset();
        m_Fired = false;
    }
    const AllocatedEmptyOptions& Options() const { return m_Options; }
    // The log line of the action taken.
    std::string Line() const;

private:
    IClock& m_Clock;
    AllocatedEmptyOptions m_Options;
    std::optional<uint32_t> m_Since; // when the stretch began, on m_Clock
    bool m_Fired = false;
};

} // namespace dravo
