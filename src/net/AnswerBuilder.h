// AnswerBuilder: builds, splits, numbers and sends the datagrams of one answer.
//
// Wire format of every datagram: \key\value...\queryid\<id>.<n>, n counting from
// 1 within the answer; the last one carries \final\ just before its query id.
// A pair is not added to a non-empty packet when packet length + key length +
// value length + 50 would reach 4096: the packet so far goes out first. The
// query id grows by one per answer (or heartbeat), wraps from 1000 to 1, and an
// answer without pairs sends nothing but still uses its id.
#pragma once

#include "net/SendHook.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace dravo {

class AnswerBuilder {
public:
    static constexpr size_t PACKET_SIZE = 4160;
    static constexpr size_t SPLIT_THRESHOLD = 4096;
    static constexpr size_t SPLIT_MARGIN = 50;
    static constexpr uint32_t MAX_QUERY_ID = 1000;
    static constexpr size_t MAX_KEY = 64;
    // What replaces a backslash inside a value, so that a value never adds keys of its own.
    static constexpr char BACKSLASH_STAND_IN = '/';

    // Datagrams leave through `out`, which outlives the builder.
    explicit AnswerBuilder(SendHook& out) : m_Out(out) {}
    AnswerBuilder(const AnswerBuilder&) = delete;
    AnswerBuilder& operator=(const AnswerBuilder&) = delete;

    // Query id back to 1, nothing being built.
    void Reset();
    void BeginReply(std::string_view address, int port);
    void AddKeyValue(std::string_view key, std::string_view value);
    void AddKeyInt(std::string_view key, int32_t value);
    void FinishReply();

    // The id the next answer will carry (before the wrap is applied).
    uint32_t QueryId() const { return m_QueryId; }
    int32_t PacketNumber() const { return m_PacketNumber; }
    std::string_view Packet() const { return {m_Packet, m_Length}; }

private:
    void Append(std::string_view text);
    void AppendValue(std::string_view value);
    void AppendNumber(int64_t value);
    void AppendQueryId();
    void FlushPacket();
    void Send();

    SendHook& m_Out;
    char m_Packet[PACKET_SIZE] = {};
    size_t m_Length = 0;
    int32_t m_PacketNumber = 0;
    uint32_t m_QueryId = 1;
    std::string m_Address;
    int m_Port = 0;
};

} // namespace dravo
