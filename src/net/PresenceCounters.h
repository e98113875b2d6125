// PresenceCounters: what the internet presence has done, counted for monitoring.
//
// Bumped by the query reporter (under UpdateLock) and by the registration sender's thread; read from
// any thread. Relaxed atomics: each is a count of its own, never a lock per datagram.
#pragma once

#include <atomic>
#include <cstdint>

namespace dravo {

// Why a query went unanswered.
enum class QueryDrop : uint8_t {
    Rate,    // its address asked more often than its allowance
    Budget,  // the byte budget for everyone was spent
    Size,    // empty, or longer than a query may be
    Answer,  // an answer, not a query
    OwnPort, // from one of the server's own ports
};
constexpr size_t QUERY_DROP_KINDS = 5;

struct PresenceCounters {
    std::atomic<uint64_t> m_QueriesAnswered{0};
    std::atomic<uint64_t> m_QueriesDropped[QUERY_DROP_KINDS] = {};
    std::atomic<uint64_t> m_AnswerBytes{0};
    std::atomic<uint64_t> m_AddressEntries{0}; // addresses the answer limits remember now
    std::atomic<uint64_t> m_Heartbeats{0};
    std::atomic<uint64_t> m_RegistrationsAnswered{0}; // web registration requests the list server answered
    std::atomic<uint64_t> m_RegistrationsFailed{0};   // ...and those it did not (or that were abandoned)

    void Drop(QueryDrop reason) {
        m_QueriesDropped[static_cast<size_t>(reason)].fetch_add(1, std::memory_order_relaxed);
    }
};

// Adds one to a counter that only one thread writes at a time, for any thread to read.
inline void CountOne(std::atomic<uint64_t>& counter, uint64_t amount = 1) {
    counter.fetch_add(amount, std::memory_order_relaxed);
}

} // namespace dravo
