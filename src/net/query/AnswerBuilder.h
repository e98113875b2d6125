// AnswerBuilder: builds, splits, numbers and sends the datagrams of one answer.
//
// Wire format of every datagram: \key\value...\queryid\<id>.<n>, n counting from
// 1 within the answer; the last one carries \final\ just before its query id.
// A pair is not added to a non-empty packet when packet length + key length +
// value length + 50 would reach 4096: the packet so far goes out first. The
// query id grows by one per answer (or heartbeat), wraps from 1000 to 1, and an
// answer without pairs sends nothing but still uses its id. Each answer names
// its way out and its destination when it begins.
#pragma once

#include "net/query/AnswerPairs.h"
#include "net/query/SendHook.h"
#include "platform/net/UdpSocket.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace dravo {

class AnswerBuilder {
public:
    static constexpr size_t PACKET_SIZE = 4160;
    static constexpr size_t SPLIT_THRESHOLD = 4096;
    static constexpr size_t SPLIT_MARGIN = 50;
    static constexpr uint32_t MAX_QUERY_ID = 1000;
    static_assert(AnswerPairs::MAX_PAIR == SPLIT_THRESHOLD - SPLIT_MARGIN, "a pair fits an empty packet");

    AnswerBuilder() = default;
    AnswerBuilder(const AnswerBuilder&) = delete;
    AnswerBuilder& operator=(const AnswerBuilder&) = delete;

    // Query id back to 1, nothing being built.
    void Reset();
    // Begins an answer to `to`, whose datagrams leave through `out` (which outlives the answer).
    void BeginReply(SendHook& out, const NetPeer& to);
    void AddKeyValue(std::string_view key, std::string_view value);
    void AddKeyInt(std::string_view key, int32_t value);
    // Every pair of `pairs`, in order, split into packets as if added one by one.
    void AddPairs(const AnswerPairs& pairs);
    // Sends what is left and ends the answer; returns the bytes of all its datagrams.
    size_t FinishReply();

private:
    // A pair of this length (as written) goes into the packet without sending the packet first.
    bool Fits(size_t pairLength) const { return m_Length == 0 || m_Length + pairLength < PAIR_LIMIT; }
    void Append(std::string_view text);
    void AppendNumber(int64_t value);
    void AppendQueryId();
    void FlushPacket();
    void Send();

    // packet + pair - 2 + SPLIT_MARGIN < SPLIT_THRESHOLD, with the pair's two backslashes counted in.
    static constexpr size_t PAIR_LIMIT = SPLIT_THRESHOLD - SPLIT_MARGIN + 2;

    SendHook* m_Out = nullptr;
    NetPeer m_To;
    char m_Packet[PACKET_SIZE] = {};
    size_t m_Length = 0;
    size_t m_Sent = 0; // bytes of the answer sent so far
    int32_t m_PacketNumber = 0;
    uint32_t m_QueryId = 1;
};

} // namespace dravo
