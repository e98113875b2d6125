// A2sQueries: the A2S requests the query benchmarks send, each from a source address that first fetched its
// challenge, as a real client (or an attacker that receives at its addresses) does.
#pragma once

#include "support/QueryLoad.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace dravo::bench {

enum class A2sKind : uint8_t { Info, Players, Rules };

// The request of `kind`: with `challenge`, or asking for one when it has none.
std::string A2sQuery(A2sKind kind, std::optional<uint32_t> challenge);
// The challenge a datagram carries, when it is a challenge answer.
std::optional<uint32_t> A2sChallengeOf(std::string_view datagram);
// Whether a datagram is an A2S answer of any kind other than the challenge.
bool IsA2sAnswer(std::string_view datagram);

// The challenges of many source addresses of a QueryLoad, fetched from one server.
class A2sChallenges {
public:
    // The pace that the default byte budget answers: a challenge costs it as much as an answer without the
    // players, so newcomers get some 650 challenges a second.
    static constexpr double BUDGET_RATE = 600;

    // Asks the server on `port` for the challenge of every address in `addresses` (host byte order) that has
    // none yet, `rate` a second, then waits up to 500 ms for the last answers; asks those left again, up to
    // four rounds in all. Returns how many of `addresses` have a challenge.
    size_t Fetch(test::QueryLoad& load, uint16_t port, const std::vector<uint32_t>& addresses,
                 double rate = BUDGET_RATE);
    // The request of `kind` from `address`, with its challenge when it has one.
    std::string Query(A2sKind kind, uint32_t address) const;
    void Clear() { m_Challenges.clear(); }

private:
    void Ask(test::QueryLoad& load, uint16_t port, const std::vector<uint32_t>& addresses, double rate);

    std::unordered_map<uint32_t, uint32_t> m_Challenges; // by source address
};

} // namespace dravo::bench
