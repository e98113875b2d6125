// Building and sending the datagrams of an answer.
#include "net/query/AnswerBuilder.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace dravo {
namespace {

constexpr std::string_view FINAL = "\\final\\";
constexpr std::string_view QUERY_ID = "\\queryid\\";

} // namespace

void AnswerBuilder::Reset() {
    m_QueryId = 1;
    m_Length = 0;
    m_PacketNumber = 0;
    m_Out = nullptr;
    m_To = NetPeer{};
}

void AnswerBuilder::BeginReply(SendHook& out, const NetPeer& to) {
    m_Out = &out;
    m_To = to;
    m_Length = 0;
    m_Sent = 0;
    m_PacketNumber = 1;
}

void AnswerBuilder::AddKeyValue(std::string_view key, std::string_view value) {
    if (!Fits(AnswerPairs::Length(key, value))) {
        FlushPacket();
    }
    m_Length += AnswerPairs::Write(key, value, m_Packet + m_Length);
}

void AnswerBuilder::AddKeyInt(std::string_view key, int32_t value) {
    char text[16];
    const auto result = std::to_chars(text, text + sizeof text, value);
    AddKeyValue(key, std::string_view(text, static_cast<size_t>(result.ptr - text)));
}

// The pairs go in runs: a run is every pair that the packet takes before it must be sent, copied at once.
void AnswerBuilder::AddPairs(const AnswerPairs& pairs) {
    const char* text = pairs.Text().data();
    const std::vector<uint32_t>& ends = pairs.Ends();
    auto next = ends.begin();
    uint32_t from = 0; // where the next pair starts in the text
    while (next != ends.end()) {
        if (!Fits(*next - from)) {
            FlushPacket();
        }
        // A pair fits while it ends before this point of the text; the first one does.
        const size_t limit = from + PAIR_LIMIT - m_Length;
        const auto end = std::lower_bound(next + 1, ends.end(), limit);
        const uint32_t to = *(end - 1);
        std::memcpy(m_Packet + m_Length, text + from, to - from);
        m_Length += to - from;
        from = to;
        next = end;
    }
}

size_t AnswerBuilder::FinishReply() {
    if (m_PacketNumber <= 1 && m_Length == 0) {
        ++m_PacketNumber;
        ++m_QueryId;
        return 0;
    }
    Append(FINAL);
    AppendQueryId();
    ++m_PacketNumber;
    ++m_QueryId;
    Send();
    return m_Sent;
}

void AnswerBuilder::FlushPacket() {
    AppendQueryId();
    ++m_PacketNumber;
    Send();
}

void AnswerBuilder::AppendQueryId() {
    if (m_QueryId > MAX_QUERY_ID) {
        m_QueryId = 1;
    }
    // Pairs never fill the packet beyond PAIR_LIMIT, so that the trailer always fits.
    Append(QUERY_ID);
    AppendNumber(m_QueryId);
    Append(".");
    AppendNumber(m_PacketNumber);
}

void AnswerBuilder::Send() {
    if (m_Out != nullptr) {
        (void)m_Out->SendDatagram(m_Packet, m_Length, m_To);
    }
    m_Sent += m_Length;
    m_Length = 0;
}

void AnswerBuilder::Append(std::string_view text) {
    const size_t length = std::min(text.size(), PACKET_SIZE - m_Length);
    std::memcpy(m_Packet + m_Length, text.data(), length);
    m_Length += length;
}

void AnswerBuilder::AppendNumber(int64_t value) {
    char text[24];
    const auto result = std::to_chars(text, text + sizeof text, value);
    Append(std::string_view(text, static_cast<size_t>(result.ptr - text)));
}

} // namespace dravo
