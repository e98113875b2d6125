// Master server lookups on the blocking pool.
#include "net/query/MasterLookup.h"

#include "platform/net/UdpSocket.h"

#include <mutex>

namespace dravo {

struct MasterLookup::Shared {
    std::mutex m_Mutex;
    bool m_Done = false;
    std::optional<uint32_t> m_Address;
};

MasterLookup::MasterLookup(BlockingPool& pool, Resolve resolve)
    : m_Resolve(resolve ? std::move(resolve)
                        : [](const std::string& host) { return UdpSocket::Resolve(host.c_str()); }),
      m_Pool(pool) {}

MasterLookup::~MasterLookup() = default; // a lookup under way ends by itself

void MasterLookup::Start(const std::string& host, uint32_t nowMs) {
    if (m_Current) {
        std::scoped_lock lock(m_Current->m_Mutex);
        if (!m_Current->m_Done) {
            return;
        }
    }
    auto shared = std::make_shared<Shared>();
    m_Current = shared;
    m_StartedMs = nowMs;
    const bool started = m_Pool.Submit([shared, host, resolve = m_Resolve] {
        const std::optional<uint32_t> address = resolve(host);
        std::scoped_lock lock(shared->m_Mutex);
        shared->m_Address = address;
        shared->m_Done = true;
    });
    if (!started) {
        std::scoped_lock lock(shared->m_Mutex);
        shared->m_Done = true; // no thread free, no address: this lookup failed
    }
}

void MasterLookup::Reset() {
    m_Current.reset();
}

MasterLookup::State MasterLookup::Poll(uint32_t nowMs, uint32_t& address) {
    if (!m_Current) {
        return State::Idle;
    }
    std::scoped_lock lock(m_Current->m_Mutex);
    if (m_Current->m_Done) {
        if (m_Current->m_Address) {
            address = *m_Current->m_Address;
            return State::Found;
        }
        return State::Failed;
    }
    return nowMs - m_StartedMs >= LOOKUP_LIMIT_MS ? State::Failed : State::Pending;
}

} // namespace dravo
