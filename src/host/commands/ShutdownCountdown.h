// ShutdownCountdown: a warned stop - the players are told at fixed marks before the server stops.
//
// Pure logic on a millisecond clock given by the caller; the command service drives it on the window
// thread, woken by a CountdownTimer.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace dravo {

// The most seconds a countdown may run.
constexpr uint32_t MAX_SHUTDOWN_SECONDS = 3600;

class ShutdownCountdown {
public:
    // Seconds left at which the players are told, largest first.
    static constexpr std::array<uint32_t, 8> MARKS = {1800, 600, 300, 120, 60, 30, 10, 5};

    struct Step {
        std::optional<uint32_t> m_Announce; // seconds left to tell the players now
        bool m_Finished = false;            // the time is up: stop now
    };

    // Starts (or starts again); the first announcement is the whole time, at once.
    void Start(uint32_t seconds, std::string reason, uint32_t nowMs);
    void Cancel() { m_Active = false; }
    bool IsActive() const { return m_Active; }
    const std::string& Reason() const { return m_Reason; }
    uint32_t SecondsLeft(uint32_t nowMs) const;

    // What is due at `nowMs`: the latest mark passed that was not told yet, or the end.
    Step Advance(uint32_t nowMs);
    // Milliseconds from `nowMs` until the next mark or the end; nothing when not counting down.
    std::optional<uint32_t> NextDueIn(uint32_t nowMs) const;

private:
    bool m_Active = false;
    uint32_t m_StartMs = 0;
    uint32_t m_TotalMs = 0;
    uint32_t m_Told = 0; // the smallest number of seconds left already told
    std::string m_Reason;
};

// "The server shuts down in 30 seconds: maintenance." (without a reason, no colon part).
std::string ShutdownWarning(uint32_t secondsLeft, const std::string& reason);

} // namespace dravo
