// The A2S requests of the query benchmarks and the challenges their sources send back.
#include "support/A2sQueries.h"

#include "net/query/A2sPacket.h"

#include <thread>

namespace dravo::bench {

using test::QueryLoad;

std::string A2sQuery(A2sKind kind, std::optional<uint32_t> challenge) {
    std::string request("\xFF\xFF\xFF\xFF", 4);
    switch (kind) {
    case A2sKind::Info:
        request += static_cast<char>(a2s::INFO_REQUEST);
        request += a2s::INFO_PAYLOAD;
        break;
    case A2sKind::Players:
        request += static_cast<char>(a2s::PLAYER_REQUEST);
        challenge = challenge.value_or(a2s::NO_CHALLENGE); // these two always carry one
        break;
    case A2sKind::Rules:
        request += static_cast<char>(a2s::RULES_REQUEST);
        challenge = challenge.value_or(a2s::NO_CHALLENGE);
        break;
    }
    if (challenge) {
        for (int i = 0; i < 4; ++i) {
            request += static_cast<char>(*challenge >> (8 * i));
        }
    }
    return request;
}

std::optional<uint32_t> A2sChallengeOf(std::string_view datagram) {
    if (datagram.size() != a2s::CHALLENGE_ANSWER_SIZE || !a2s::IsA2sDatagram(datagram) ||
        static_cast<uint8_t>(datagram[4]) != a2s::CHALLENGE_ANSWER) {
        return std::nullopt;
    }
    uint32_t challenge = 0;
    for (int i = 0; i < 4; ++i) {
        challenge |= uint32_t{static_cast<uint8_t>(datagram[5 + i])} << (8 * i);
    }
    return challenge;
}

bool IsA2sAnswer(std::string_view datagram) {
    if (!a2s::IsA2sDatagram(datagram) || datagram.size() < 5) {
        return false;
    }
    const auto kind = static_cast<uint8_t>(datagram[4]);
    return kind == a2s::INFO_ANSWER || kind == a2s::PLAYER_ANSWER || kind == a2s::RULES_ANSWER;
}

void A2sChallenges::Ask(QueryLoad& load, uint16_t port, const std::vector<uint32_t>& addresses, double rate) {
    const std::string ask = A2sQuery(A2sKind::Players, std::nullopt);
    auto take = [this](uint32_t index, std::string_view datagram, QueryLoad::Clock::time_point) {
        if (const auto challenge = A2sChallengeOf(datagram)) {
            m_Challenges[QueryLoad::SourceAddress(index)] = *challenge;
        }
    };
    const auto start = QueryLoad::Clock::now();
    size_t sent = 0;
    for (const uint32_t address : addresses) {
        if (m_Challenges.count(address) != 0) {
            continue;
        }
        load.SendFrom(port, ask, address);
        ++sent;
        // Paced: `rate` a second, reading the answers as they come.
        const auto due = start + std::chrono::duration_cast<QueryLoad::Clock::duration>(
                                     std::chrono::duration<double>(static_cast<double>(sent) / rate));
        load.ReceiveWaiting(take);
        if (due > QueryLoad::Clock::now()) {
            std::this_thread::sleep_until(due);
        }
    }
    load.Receive(QueryLoad::Clock::now() + std::chrono::milliseconds(500), take);
}

size_t A2sChallenges::Fetch(QueryLoad& load, uint16_t port, const std::vector<uint32_t>& addresses, double rate) {
    constexpr int ROUNDS = 4;
    size_t have = 0;
    for (int round = 0; round < ROUNDS && have < addresses.size(); ++round) {
        Ask(load, port, addresses, rate);
        have = 0;
        for (const uint32_t address : addresses) {
            have += m_Challenges.count(address);
        }
    }
    return have;
}

std::string A2sChallenges::Query(A2sKind kind, uint32_t address) const {
    const auto found = m_Challenges.find(address);
    return A2sQuery(kind, found == m_Challenges.end() ? std::nullopt : std::optional<uint32_t>(found->second));
}

} // namespace dravo::bench
