// GameProtocol: the datagrams players and the game server exchange on the game port.
//
// Wire format. Every datagram is one line of printable ASCII (bytes 0x20 to
// 0x7E, no line end, at most MAX_DATAGRAM bytes): the word "DRAVO", one
// blank, a verb in upper case and, for some verbs, one blank and an argument.
// Anything else is not part of the game and is dropped, except datagrams
// that begin with a backslash, which the engine hands to the front end.
//
//   player -> server                  server -> player
//   DRAVO JOIN <name>                 DRAVO WELCOME <id>     joined (again on a repeated JOIN)
//   DRAVO ALIVE                       DRAVO FULL             no free place
//   DRAVO PONG <n>                    DRAVO REFUSED <why>    name or moment not acceptable
//   DRAVO LEAVE                       DRAVO PING <n>         keep-alive; answer with PONG <n>
//                                     DRAVO KICKED           removed by the operator
//                                     DRAVO SAY <text>       the operator's words to every player
//
// A player is known by its address and port. A name is 1 to MAX_NAME_LENGTH
// bytes after leading and trailing blanks are trimmed. <id> and <n> are
// decimal numbers from 1 to 4294967295. A joined player that sends nothing
// for the server's timeout (10 s unless set otherwise) is dropped, so a
// player sends ALIVE or answers PING at least every few seconds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dravo::ref {

class GameProtocol {
public:
    static constexpr size_t MAX_DATAGRAM = 128;
    static constexpr size_t MAX_NAME_LENGTH = 63;
    static constexpr uint16_t DEFAULT_PORT = 27888;

    enum class Verb { Join, Alive, Pong, Leave, Welcome, Full, Refused, Ping, Kicked, Say };

    struct Message {
        Verb m_Verb = Verb::Alive;
        std::string m_Text;    // JOIN: the trimmed name; REFUSED: the reason; SAY: the words
        uint32_t m_Number = 0; // WELCOME: the id; PING, PONG: the sequence number
    };

    // The message a datagram holds, or nothing when it is not a valid one.
    static std::optional<Message> Parse(std::string_view datagram);
    // The datagram for a message; the text is expected to be valid (see IsValidName for names).
    static std::string Compose(const Message& message);
    static std::string Compose(Verb verb, uint32_t number = 0) { return Compose(Message{verb, {}, number}); }

    // True for 1 to MAX_NAME_LENGTH printable ASCII bytes that do not start or end with a blank.
    [[nodiscard]] static bool IsValidName(std::string_view name);
    // True when the datagram is a server-list query, which the front end answers: GameSpy text (a
    // backslash first) or an A2S request (four FF bytes first).
    [[nodiscard]] static bool IsForeign(std::string_view datagram) {
        return (!datagram.empty() && datagram[0] == '\\') ||
               datagram.starts_with(std::string_view("\xFF\xFF\xFF\xFF", 4));
    }
};

} // namespace dravo::ref
