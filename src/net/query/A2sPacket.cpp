// Reading A2S requests and writing A2S answers.
#include "net/query/A2sPacket.h"

#include <bit>
#include <cstring>

namespace dravo {
namespace a2s {
namespace {

constexpr std::string_view HEADER{"\xFF\xFF\xFF\xFF", 4};
constexpr size_t KIND_AT = 4;
constexpr size_t CHALLENGE_SIZE = 4;

uint32_t ReadLong(std::string_view data, size_t at) {
    uint32_t value = 0;
    for (size_t i = 0; i < CHALLENGE_SIZE; ++i) {
        value |= uint32_t{static_cast<uint8_t>(data[at + i])} << (8 * i);
    }
    return value;
}

} // namespace

bool IsA2sDatagram(std::string_view data) {
    return data.starts_with(HEADER);
}

std::optional<Request> ParseRequest(std::string_view data) {
    if (!IsA2sDatagram(data) || data.size() <= KIND_AT) {
        return std::nullopt;
    }
    const auto kind = static_cast<uint8_t>(data[KIND_AT]);
    const std::string_view rest = data.substr(KIND_AT + 1);
    if (kind == INFO_REQUEST) {
        if (!rest.starts_with(INFO_PAYLOAD)) {
            return std::nullopt;
        }
        const std::string_view tail = rest.substr(INFO_PAYLOAD.size());
        if (tail.empty()) {
            return Request{RequestKind::Info, std::nullopt};
        }
        if (tail.size() != CHALLENGE_SIZE) {
            return std::nullopt;
        }
        return Request{RequestKind::Info, ReadLong(tail, 0)};
    }
    if ((kind != PLAYER_REQUEST && kind != RULES_REQUEST) || rest.size() != CHALLENGE_SIZE) {
        return std::nullopt;
    }
    return Request{kind == PLAYER_REQUEST ? RequestKind::Players : RequestKind::Rules, ReadLong(rest, 0)};
}

} // namespace a2s

A2sPacket::A2sPacket(uint8_t kind) {
    for (int i = 0; i < 4; ++i) {
        Byte(0xFF);
    }
    Byte(kind);
}

bool A2sPacket::Reserve(size_t bytes) {
    m_Fits = m_Fits && HasRoom(bytes);
    return m_Fits;
}

void A2sPacket::Byte(uint8_t value) {
    if (Reserve(1)) {
        m_Data[m_Length++] = value;
    }
}

void A2sPacket::Short(uint16_t value) {
    if (Reserve(2)) {
        SetShort(m_Length, value);
        m_Length += 2;
    }
}

void A2sPacket::Long(int32_t value) {
    if (Reserve(4)) {
        const auto bits = static_cast<uint32_t>(value);
        for (size_t i = 0; i < 4; ++i) {
            m_Data[m_Length++] = static_cast<uint8_t>(bits >> (8 * i));
        }
    }
}

void A2sPacket::Float(float value) {
    if (Reserve(4)) {
        SetFloat(m_Length, value);
        m_Length += 4;
    }
}

void A2sPacket::Text(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    if (Reserve(text.size() + 1)) {
        std::memcpy(m_Data + m_Length, text.data(), text.size());
        m_Length += text.size();
        m_Data[m_Length++] = 0;
    }
}

void A2sPacket::SetByte(size_t offset, uint8_t value) {
    if (offset < a2s::MAX_ANSWER) {
        m_Data[offset] = value;
    }
}

void A2sPacket::SetShort(size_t offset, uint16_t value) {
    SetByte(offset, static_cast<uint8_t>(value));
    SetByte(offset + 1, static_cast<uint8_t>(value >> 8));
}

// One check for the four bytes: the players answer rewrites a float for every player at each answer.
void A2sPacket::SetFloat(size_t offset, float value) {
    if (offset > a2s::MAX_ANSWER - 4) {
        return;
    }
    const auto bits = std::bit_cast<uint32_t>(value);
    for (size_t i = 0; i < 4; ++i) {
        m_Data[offset + i] = static_cast<uint8_t>(bits >> (8 * i));
    }
}

} // namespace dravo
