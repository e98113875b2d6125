// Writing and reading remote console packets.
#include "services/rcon/RconPacket.h"

#include <algorithm>
#include <cstring>

namespace dravo {
namespace {

void PutInt(std::string& out, int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<char>((bits >> shift) & 0xFFu));
    }
}

int32_t GetInt(const char* at) {
    uint32_t bits = 0;
    for (int i = 3; i >= 0; --i) {
        bits = (bits << 8) | static_cast<unsigned char>(at[i]);
    }
    return static_cast<int32_t>(bits);
}

bool IsKnownType(int32_t type) {
    return type == static_cast<int32_t>(RconType::ResponseValue) || type == static_cast<int32_t>(RconType::Command) ||
           type == static_cast<int32_t>(RconType::Login);
}

} // namespace

std::string EncodeRconPacket(int32_t id, RconType type, std::string_view body) {
    body = body.substr(0, std::min(body.size(), MAX_RCON_BODY));
    std::string out;
    out.reserve(body.size() + 4 + static_cast<size_t>(RCON_MIN_SIZE));
    PutInt(out, static_cast<int32_t>(body.size()) + RCON_MIN_SIZE);
    PutInt(out, id);
    PutInt(out, static_cast<int32_t>(type));
    out.append(body);
    out.push_back('\0');
    out.push_back('\0');
    return out;
}

bool RconPacketReader::Feed(std::span<const char> bytes) {
    if (Failed()) {
        return false;
    }
    if (Buffered() + bytes.size() > MAX_BUFFERED) {
        m_Fault = Fault::Overflow;
        return false;
    }
    if (m_Read > 0) {
        m_Buffer.erase(0, m_Read); // what was handed out already
        m_Read = 0;
    }
    m_Buffer.append(bytes.data(), bytes.size());
    (void)WholeSize(); // a bad size is junk at once, before its packet could be whole
    return !Failed();
}

std::optional<int32_t> RconPacketReader::WholeSize() {
    if (Failed() || Buffered() < 4) {
        return std::nullopt;
    }
    const int32_t size = GetInt(m_Buffer.data() + m_Read);
    if (size < RCON_MIN_SIZE || size > RCON_MAX_SIZE) {
        m_Fault = Fault::BadSize;
        return std::nullopt;
    }
    if (Buffered() < static_cast<size_t>(size) + 4) {
        return std::nullopt;
    }
    return size;
}

std::optional<RconPacket> RconPacketReader::Next() {
    const std::optional<int32_t> size = WholeSize();
    if (!size) {
        return std::nullopt;
    }
    const char* packet = m_Buffer.data() + m_Read + 4;
    const auto length = static_cast<size_t>(*size);
    const int32_t type = GetInt(packet + 4);
    const size_t bodyLength = length - static_cast<size_t>(RCON_MIN_SIZE);
    const char* body = packet + 8;
    if (body[bodyLength] != '\0' || body[bodyLength + 1] != '\0') {
        m_Fault = Fault::BadEnd;
        return std::nullopt;
    }
    if (std::memchr(body, '\0', bodyLength) != nullptr) {
        m_Fault = Fault::NulInBody;
        return std::nullopt;
    }
    if (!IsKnownType(type)) {
        m_Fault = Fault::UnknownType;
        return std::nullopt;
    }
    RconPacket result{GetInt(packet), static_cast<RconType>(type), std::string(body, bodyLength)};
    m_Read += length + 4;
    (void)WholeSize(); // the next one's size, if it has come
    return result;
}

const char* RconFaultText(RconPacketReader::Fault fault) {
    switch (fault) {
    case RconPacketReader::Fault::None:
        return "no fault";
    case RconPacketReader::Fault::BadSize:
        return "a packet size out of range";
    case RconPacketReader::Fault::BadEnd:
        return "a packet that does not end in two NULs";
    case RconPacketReader::Fault::NulInBody:
        return "a NUL inside a packet's text";
    case RconPacketReader::Fault::UnknownType:
        return "an unknown packet type";
    case RconPacketReader::Fault::Overflow:
        return "more unread bytes than allowed";
    }
    return "junk";
}

} // namespace dravo
