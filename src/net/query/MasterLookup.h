// MasterLookup: finds the master server's address off the game's threads.
//
// Contract. The reporter starts a lookup when hosting starts and again when one
// failed, once a heartbeat period; the worker thread polls it at each step and
// never waits for it. A lookup runs on the blocking pool. A name service that
// never answers would hold its thread there for as long as the system's
// resolver waits: the lookup counts as failed after LOOKUP_LIMIT_MS, and the
// job is left to finish on its own, holding nothing but its own result, so
// neither a step nor the stop ever waits for it.
#pragma once

#include "platform/os/BlockingPool.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace dravo {

class MasterLookup {
public:
    static constexpr uint32_t LOOKUP_LIMIT_MS = 2000;

    // The blocking lookup (dotted address or name to an IPv4 address); tests give their own.
    using Resolve = std::function<std::optional<uint32_t>(const std::string& host)>;
    enum class State {
        Idle,    // nothing asked
        Pending, // a lookup under way, within its limit
        Found,   // the address is known
        Failed,  // no address: the lookup failed or took longer than its limit
    };

    // Lookups run on `pool`, which outlives the lookup.
    explicit MasterLookup(BlockingPool& pool, Resolve resolve = {});
    ~MasterLookup();
    MasterLookup(const MasterLookup&) = delete;
    MasterLookup& operator=(const MasterLookup&) = delete;

    // Begins looking up `host`, unless a lookup of it is still under way (one that overran its limit
    // included: a second would only queue behind it in the system's resolver).
    void Start(const std::string& host, uint32_t nowMs);
    // Forgets the host and any result; a lookup under way is left to itself.
    void Reset();
    // Where the lookup stands at `nowMs`; `address` is set when it is Found.
    State Poll(uint32_t nowMs, uint32_t& address);

private:
    struct Shared; // what a lookup thread and its owner both hold

    Resolve m_Resolve;
    BlockingPool& m_Pool;
    std::shared_ptr<Shared> m_Current;
    uint32_t m_StartedMs = 0;
};

} // namespace dravo
