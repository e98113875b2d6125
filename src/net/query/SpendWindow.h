// SpendWindow: what was spent over the last second, in slots of ten milliseconds.
//
// A budget checked against it never lets more than its amount through in any
// one second, a flood's first second included: nothing saved up while quiet adds
// to it. Pure logic; times are milliseconds of the caller's clock.
#pragma once

#include <array>
#include <cstdint>

namespace dravo {

class SpendWindow {
public:
    static constexpr uint32_t SLOT_MS = 10;
    static constexpr uint32_t SLOTS = 100; // one second

    void Clear();
    // Spent within the second up to `nowMs`.
    int64_t Spent(uint32_t nowMs);
    void Spend(uint32_t nowMs, int64_t amount);

private:
    void Advance(uint32_t nowMs);

    std::array<int64_t, SLOTS> m_Slots{};
    int64_t m_Total = 0;
    uint32_t m_Current = 0;   // the slot being filled
    uint32_t m_CurrentMs = 0; // when it began
    bool m_Started = false;
};

} // namespace dravo
