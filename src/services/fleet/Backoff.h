// Backoff: the wait before the next try after a failed one, doubling from a first to a longest wait.
#pragma once

#include <algorithm>
#include <chrono>

namespace dravo {

class Backoff {
public:
    using Duration = std::chrono::milliseconds;

    Backoff(Duration first, Duration longest) : m_First(first), m_Longest(longest), m_Next(first) {}

    // The wait after one more failure.
    Duration Failed() {
        const Duration wait = m_Next;
        m_Next = std::min(m_Longest, m_Next * 2);
        return wait;
    }
    // A success: the next failure waits the first wait again.
    void Succeeded() { m_Next = m_First; }

private:
    Duration m_First;
    Duration m_Longest;
    Duration m_Next;
};

} // namespace dravo
