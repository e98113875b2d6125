// A2sPacket: the wire forms of the server query that most monitoring tools read ("A2S"), beside the
// GameSpy text queries on the same ports.
//
// Every datagram starts with the four bytes FF FF FF FF; numbers are little-endian, texts end with a NUL.
// Requests:
//   A2S_INFO     FF FF FF FF 'T' "Source Engine Query" 00 [challenge: 4 bytes]
//   A2S_PLAYER   FF FF FF FF 'U' challenge (FF FF FF FF asks for one)
//   A2S_RULES    FF FF FF FF 'V' challenge (FF FF FF FF asks for one)
// Answers:
//   S2C_CHALLENGE FF FF FF FF 'A' challenge
//   info         FF FF FF FF 'I' protocol(1) name map folder game appid(2) players(1) max(1) bots(1)
//                type(1) environment(1) visibility(1) secure(1) version EDF(1) [game port(2)]
//   players      FF FF FF FF 'D' count(1) { index(1) name score(4, signed) duration(4, float seconds) }
//   rules        FF FF FF FF 'E' count(2) { name value }
// An answer is one datagram of at most MAX_ANSWER bytes: a longer one is cut at whole entries and its
// count says how many it holds (the split form of the protocol is never sent). Pure logic.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace dravo {

namespace a2s {

constexpr size_t MAX_ANSWER = 1400;
constexpr uint32_t NO_CHALLENGE = 0xFFFFFFFF;
constexpr uint8_t INFO_REQUEST = 'T';
constexpr uint8_t PLAYER_REQUEST = 'U';
constexpr uint8_t RULES_REQUEST = 'V';
constexpr uint8_t CHALLENGE_ANSWER = 'A';
constexpr uint8_t INFO_ANSWER = 'I';
constexpr uint8_t PLAYER_ANSWER = 'D';
constexpr uint8_t RULES_ANSWER = 'E';
constexpr std::string_view INFO_PAYLOAD{"Source Engine Query\0", 20};
constexpr uint8_t PROTOCOL_VERSION = 17;
constexpr uint8_t EDF_GAME_PORT = 0x80;
// The challenge answer: the header, its kind and the challenge.
constexpr size_t CHALLENGE_ANSWER_SIZE = 9;

// Whether a datagram is in the A2S form (it begins with FF FF FF FF); a split header (FF FF FF FE) is not.
bool IsA2sDatagram(std::string_view data);

enum class RequestKind : uint8_t { Info, Players, Rules };

struct Request {
    RequestKind m_Kind = RequestKind::Info;
    std::optional<uint32_t> m_Challenge; // absent, or NO_CHALLENGE, when the client asks for one
};

// The request a datagram holds; empty for anything else (answers, split headers, wrong or short
// payloads, trailing bytes).
std::optional<Request> ParseRequest(std::string_view data);

} // namespace a2s

// An answer being written into a fixed buffer. Writes past MAX_ANSWER are refused whole: Fits() turns
// false and nothing more is written.
class A2sPacket {
public:
    explicit A2sPacket(uint8_t kind);

    void Byte(uint8_t value);
    void Short(uint16_t value);
    void Long(int32_t value);
    void Float(float value);
    // A text and its NUL; a NUL inside the text ends it.
    void Text(std::string_view text);
    // Room for `bytes` more.
    bool HasRoom(size_t bytes) const { return m_Length + bytes <= a2s::MAX_ANSWER; }
    bool Fits() const { return m_Fits; }
    size_t Length() const { return m_Length; }
    std::string_view View() const { return {reinterpret_cast<const char*>(m_Data), m_Length}; }
    // Rewrites the byte at `offset` (a count written before the entries it counts).
    void SetByte(size_t offset, uint8_t value);
    void SetShort(size_t offset, uint16_t value);
    void SetFloat(size_t offset, float value);

private:
    bool Reserve(size_t bytes);

    uint8_t m_Data[a2s::MAX_ANSWER] = {};
    size_t m_Length = 0;
    bool m_Fits = true;
};

} // namespace dravo
