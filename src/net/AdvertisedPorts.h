// AdvertisedPorts: the ports the server names to players and to the master server, when a NAT in front of
// it (a fleet's node port, a container runtime's published port) maps other numbers onto the ports it bound.
//
// Two writers set them: the operator's variables when hosting starts, and the fleet client when the game
// server's own record names its external ports. The operator's value wins over the fleet's, since it names
// a mapping the fleet cannot see; each port falls back to the bound one when neither is set (0). The query
// code reads them at each answer without a lock; a change bumps the revision so that cached answers are
// written anew and the master hears the new port at once.
#pragma once

#include <atomic>
#include <cstdint>

namespace dravo {

class AdvertisedPorts {
public:
    struct Pair {
        uint16_t m_Game = 0;  // 0: not set
        uint16_t m_Query = 0; // 0: not set
    };

    void SetByOperator(Pair ports) { Store(m_Operator, ports); }
    void SetByFleet(Pair ports) { Store(m_Fleet, ports); }
    Pair ByOperator() const { return Load(m_Operator); }
    Pair ByFleet() const { return Load(m_Fleet); }

    // The game port to name: the operator's, else the fleet's, else the one bound.
    uint16_t Game(uint16_t bound) const { return Pick(ByOperator().m_Game, ByFleet().m_Game, bound); }
    uint16_t Query(uint16_t bound) const { return Pick(ByOperator().m_Query, ByFleet().m_Query, bound); }
    // Grows at every change of either writer's ports.
    uint32_t Revision() const { return m_Revision.load(std::memory_order_acquire); }

private:
    static uint32_t Packed(Pair ports) { return (uint32_t{ports.m_Game} << 16U) | ports.m_Query; }
    static Pair Load(const std::atomic<uint32_t>& packed) {
        const uint32_t value = packed.load(std::memory_order_acquire);
        return Pair{static_cast<uint16_t>(value >> 16U), static_cast<uint16_t>(value & 0xFFFFU)};
    }
    void Store(std::atomic<uint32_t>& packed, Pair ports) {
        if (packed.exchange(Packed(ports), std::memory_order_acq_rel) != Packed(ports)) {
            m_Revision.fetch_add(1, std::memory_order_acq_rel);
        }
    }
    static uint16_t Pick(uint16_t byOperator, uint16_t byFleet, uint16_t bound) {
        return byOperator != 0 ? byOperator : (byFleet != 0 ? byFleet : bound);
    }

    std::atomic<uint32_t> m_Operator{0};
    std::atomic<uint32_t> m_Fleet{0};
    std::atomic<uint32_t> m_Revision{0};
};

} // namespace dravo
