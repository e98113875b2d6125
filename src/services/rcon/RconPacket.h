// The remote console's wire format: packets of the Source RCON protocol over TCP.
//
//   int32 size   bytes that follow: 4 (id) + 4 (type) + body + 2; little-endian, like the rest
//   int32 id     chosen by the client; answers carry it back (a failed login answers -1)
//   int32 type   3 login, 2 command (client) or login answer (server), 0 answer text
//   body         text, then a NUL, then one more NUL
//
// A body holds at most MAX_RCON_BODY bytes. The reader takes the bytes of a connection as they come and
// hands out whole packets; a size that is negative, too small or too large, a packet that does not end
// in its two NULs, a NUL inside the body or an unknown type is junk, and nothing after it is read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace dravo {

constexpr size_t MAX_RCON_BODY = 4096;
constexpr int32_t RCON_MIN_SIZE = 10; // id, type and the two NULs
constexpr int32_t RCON_MAX_SIZE = static_cast<int32_t>(MAX_RCON_BODY) + RCON_MIN_SIZE;
constexpr int32_t RCON_FAILED_LOGIN_ID = -1;

enum class RconType : int32_t {
    ResponseValue = 0,
    Command = 2, // from a client; the same number answers a login
    LoginAnswer = 2,
    Login = 3,
};

struct RconPacket {
    int32_t m_Id = 0;
    RconType m_Type = RconType::ResponseValue;
    std::string m_Body;
};

// The bytes of one packet; a longer body is cut to MAX_RCON_BODY.
std::string EncodeRconPacket(int32_t id, RconType type, std::string_view body);

class RconPacketReader {
public:
    enum class Fault { None, BadSize, BadEnd, NulInBody, UnknownType, Overflow };
    // Bytes kept before they make packets: two whole packets and a read's worth.
    static constexpr size_t MAX_BUFFERED = 2 * static_cast<size_t>(RCON_MAX_SIZE) + 4096;

    // Takes what arrived; false once the stream holds junk (LastFault says what), and from then on.
    [[nodiscard]] bool Feed(std::span<const char> bytes);
    // The next whole packet, in order; nothing when none is whole yet or the stream holds junk.
    std::optional<RconPacket> Next();
    Fault LastFault() const { return m_Fault; }
    bool Failed() const { return m_Fault != Fault::None; }
    size_t Buffered() const { return m_Buffer.size() - m_Read; }

private:
    // The size field of the packet at m_Read when it is whole, checking what can be checked so far.
    std::optional<int32_t> WholeSize();

    std::string m_Buffer;
    size_t m_Read = 0; // where the next packet begins
    Fault m_Fault = Fault::None;
};

const char* RconFaultText(RconPacketReader::Fault fault);

} // namespace dravo
