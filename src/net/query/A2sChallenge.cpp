// Challenges made from the address and the period, checked by making them again.
#include "net/query/A2sChallenge.h"
#include "net/query/A2sPacket.h"

namespace dravo {

uint32_t A2sChallenge::ForPeriod(uint32_t address, uint32_t period) const {
    const unsigned char bytes[8] = {
        static_cast<unsigned char>(address >> 24), static_cast<unsigned char>(address >> 16),
        static_cast<unsigned char>(address >> 8),  static_cast<unsigned char>(address),
        static_cast<unsigned char>(period >> 24),  static_cast<unsigned char>(period >> 16),
        static_cast<unsigned char>(period >> 8),   static_cast<unsigned char>(period)};
    const auto challenge = static_cast<uint32_t>(SipHash24(m_Key, bytes, sizeof bytes));
    return challenge == a2s::NO_CHALLENGE ? challenge - 1 : challenge;
}

uint32_t A2sChallenge::Make(uint32_t address, uint32_t nowMs) const {
    return ForPeriod(address, nowMs / PERIOD_MS);
}

bool A2sChallenge::Check(uint32_t address, uint32_t challenge, uint32_t nowMs) const {
    const uint32_t period = nowMs / PERIOD_MS;
    return challenge != a2s::NO_CHALLENGE &&
           (challenge == ForPeriod(address, period) || challenge == ForPeriod(address, period - 1));
}

} // namespace dravo
