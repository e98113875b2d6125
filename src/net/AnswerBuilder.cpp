// Building and sending the datagrams of an answer.
#include "net/AnswerBuilder.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace dravo {
namespace {

constexpr std::string_view SEPARATOR = "\\";
constexpr std::string_view FINAL = "\\final\\";
constexpr std::string_view QUERY_ID = "\\queryid\\";

} // namespace

void AnswerBuilder::Reset() {
    m_QueryId = 1;
    m_Length = 0;
    m_PacketNumber = 0;
    m_Address.clear();
    m_Port = 0;
}

void AnswerBuilder::BeginReply(std::string_view address, int port) {
    m_Address.assign(address);
    m_Port = port;
    m_Length = 0;
    m_PacketNumber = 1;
}

void AnswerBuilder::AddKeyValue(std::string_view key, std::string_view value) {
    key = key.substr(0, std::min(key.size(), MAX_KEY));
    if (m_Length != 0 && m_Length + key.size() + value.size() + SPLIT_MARGIN >= SPLIT_THRESHOLD) {
        FlushPacket();
    }
    // A pair that would not fit even an empty packet is cut to what does.
    const size_t room = SPLIT_THRESHOLD - SPLIT_MARGIN - 2 * SEPARATOR.size() - key.size();
    value = value.substr(0, std::min(value.size(), room));
    Append(SEPARATOR);
    Append(key);
    Append(SEPARATOR);
    AppendValue(value);
}

void AnswerBuilder::AddKeyInt(std::string_view key, int32_t value) {
    char text[16];
    const auto result = std::to_chars(text, text + sizeof text, value);
    AddKeyValue(key, std::string_view(text, static_cast<size_t>(result.ptr - text)));
}

void AnswerBuilder::FinishReply() {
    if (m_PacketNumber <= 1 && m_Length == 0) {
        ++m_PacketNumber;
        ++m_QueryId;
        return;
    }
    Append(FINAL);
    AppendQueryId();
    ++m_PacketNumber;
    ++m_QueryId;
    Send();
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
    // Pairs are cut so that the trailer always fits the packet.
    Append(QUERY_ID);
    AppendNumber(m_QueryId);
    Append(".");
    AppendNumber(m_PacketNumber);
}

void AnswerBuilder::Send() {
    m_Out.SendDatagram(m_Packet, m_Length, m_Address.c_str(), m_Port);
    m_Length = 0;
    m_Packet[0] = '\0';
}

void AnswerBuilder::Append(std::string_view text) {
    const size_t length = std::min(text.size(), PACKET_SIZE - 1 - m_Length);
    std::memcpy(m_Packet + m_Length, text.data(), length);
    m_Length += length;
    m_Packet[m_Length] = '\0';
}

void AnswerBuilder::AppendValue(std::string_view value) {
    const size_t start = m_Length;
    Append(value);
    std::replace(m_Packet + start, m_Packet + m_Length, '\\', BACKSLASH_STAND_IN);
}

void AnswerBuilder::AppendNumber(int64_t value) {
    char text[24];
    const auto result = std::to_chars(text, text + sizeof text, value);
    Append(std::string_view(text, static_cast<size_t>(result.ptr - text)));
}

} // namespace dravo
