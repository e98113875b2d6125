// PresenceCounters: what the internet presence has done, counted for monitoring.
//
// Bumped by the query reporter (under UpdateLock) and by the registration sender's loop; read from any
// thread. Relaxed atomics: each is a count of its own, never a lock per datagram.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace dravo {

// Why a query went unanswered.
enum class QueryDrop : uint8_t {
    Rate,    // its address asked more often than its allowance
    Budget,  // what everyone shares was spent: the byte budget, or a step's room or time for queries
    Size,    // empty, or longer than a query may be
    Answer,  // an answer, not a query (for A2S: no request, a wrong challenge, or A2S switched off)
    OwnPort, // from one of the server's own ports
};
constexpr size_t QUERY_DROP_KINDS = 5;

// Adds to a counter for any thread to read.
inline void CountOne(std::atomic<uint64_t>& counter, uint64_t amount = 1) {
    counter.fetch_add(amount, std::memory_order_relaxed);
}

struct PresenceCounters {
    std::atomic<uint64_t> m_QueriesAnswered{0};
    std::atomic<uint64_t> m_QueriesDropped[QUERY_DROP_KINDS] = {};
    std::atomic<uint64_t> m_A2sAnswered{0}; // A2S answers, challenges included (the two above are GameSpy's)
    std::atomic<uint64_t> m_A2sDropped[QUERY_DROP_KINDS] = {};
    std::atomic<uint64_t> m_AnswerBytes{0};    // of both protocols
    std::atomic<uint64_t> m_AddressEntries{0}; // addresses the answer limits remember now
    std::atomic<uint64_t> m_Heartbeats{0};
    std::atomic<uint64_t> m_RegistrationsAnswered{0}; // web registration requests the list server answered
    std::atomic<uint64_t> m_RegistrationsFailed{0};   // ...and those it did not (or that were abandoned)

    void CountDrop(QueryDrop reason) { CountOne(m_QueriesDropped[static_cast<size_t>(reason)]); }
    void CountDrops(QueryDrop reason, size_t count) {
        if (count != 0) {
            CountOne(m_QueriesDropped[static_cast<size_t>(reason)], count);
        }
    }
    void CountAnswer(size_t bytes) {
        CountOne(m_QueriesAnswered);
        CountOne(m_AnswerBytes, bytes);
    }
    void CountA2sDrop(QueryDrop reason) { CountOne(m_A2sDropped[static_cast<size_t>(reason)]); }
    void CountA2sAnswer(size_t bytes) {
        CountOne(m_A2sAnswered);
        CountOne(m_AnswerBytes, bytes);
    }
    void SetAddressEntries(size_t count) { m_AddressEntries.store(count, std::memory_order_relaxed); }
    void CountHeartbeat() { CountOne(m_Heartbeats); }
    void CountRegistration(bool answered) { CountOne(answered ? m_RegistrationsAnswered : m_RegistrationsFailed); }
};

} // namespace dravo
