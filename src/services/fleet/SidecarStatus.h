// SidecarStatus: whether the fleet sidecar answers, told in one console line per change of state.
//
// A sidecar that is missing, slow or broken fails every request for as long as it stays so; the
// operator learns of it once, when it starts, and once more when the sidecar answers again.
#pragma once

#include <string>
#include <string_view>

namespace dravo {

class SidecarStatus {
public:
    enum class State { Unknown, Answering, Silent, Refusing };

    explicit SidecarStatus(std::string url) : m_Url(std::move(url)) {}

    // Each returns the line to log when the state changes, else an empty text.
    std::string Answered();
    // No HTTP answer: nobody listens, the answer did not come in time, or what came was not HTTP.
    std::string NoAnswer();
    // An HTTP answer that is not a success.
    std::string Refused(std::string_view call, int status);

    State Current() const { return m_State; }

private:
    std::string m_Url;
    State m_State = State::Unknown;
};

// HealthGate: health pings only while the game loop makes progress.
//
// Once a period the client reads the step counter: when it moved since the last check a ping is due,
// else none is sent, so that a wedged game loop turns the game server Unhealthy. Changes between the two
// are told in one line each.
class HealthGate {
public:
    struct Check {
        bool m_Ping = false;
        std::string m_Line; // a change of state to log, or empty
    };

    explicit HealthGate(int periodMs) : m_PeriodMs(periodMs) {}
    // One check, once a period, with the step counter read now.
    Check Checked(uint64_t steps);

private:
    int m_PeriodMs;
    bool m_Checked = false; // a first count has been taken
    uint64_t m_Steps = 0;
    bool m_Stalled = false;
};

} // namespace dravo
