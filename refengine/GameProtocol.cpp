// GameProtocol: the datagrams players and the game server exchange on the game port.
#include "GameProtocol.h"

#include <charconv>

namespace dravo::ref {

namespace {

constexpr std::string_view PREFIX = "DRAVO ";

struct VerbName {
    GameProtocol::Verb m_Verb;
    std::string_view m_Name;
    enum class Argument { None, Number, Text } m_Argument;
};

constexpr VerbName VERBS[] = {
    {GameProtocol::Verb::Join, "JOIN", VerbName::Argument::Text},
    {GameProtocol::Verb::Alive, "ALIVE", VerbName::Argument::None},
    {GameProtocol::Verb::Pong, "PONG", VerbName::Argument::Number},
    {GameProtocol::Verb::Leave, "LEAVE", VerbName::Argument::None},
    {GameProtocol::Verb::Welcome, "WELCOME", VerbName::Argument::Number},
    {GameProtocol::Verb::Full, "FULL", VerbName::Argument::None},
    {GameProtocol::Verb::Refused, "REFUSED", VerbName::Argument::Text},
    {GameProtocol::Verb::Ping, "PING", VerbName::Argument::Number},
    {GameProtocol::Verb::Kicked, "KICKED", VerbName::Argument::None},
    {GameProtocol::Verb::Say, "SAY", VerbName::Argument::Text},
};

bool IsPrintable(char c) {
    return c >= 0x20 && c <= 0x7E;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

// A decimal number from 1 to 4294967295 and nothing else.
std::optional<uint32_t> ParseNumber(std::string_view text) {
    uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value == 0) {
        return std::nullopt;
    }
    return value;
}

} // namespace

bool GameProtocol::IsValidName(std::string_view name) {
    if (name.empty() || name.size() > MAX_NAME_LENGTH || name.front() == ' ' || name.back() == ' ') {
        return false;
    }
    for (const char c : name) {
        if (!IsPrintable(c)) {
            return false;
        }
    }
    return true;
}

std::optional<GameProtocol::Message> GameProtocol::Parse(std::string_view datagram) {
    if (datagram.size() > MAX_DATAGRAM || !datagram.starts_with(PREFIX)) {
        return std::nullopt;
    }
    for (const char c : datagram) {
        if (!IsPrintable(c)) {
            return std::nullopt;
        }
    }
    const std::string_view rest = datagram.substr(PREFIX.size());
    const size_t blank = rest.find(' ');
    const std::string_view word = rest.substr(0, blank);
    const std::string_view argument = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
    for (const VerbName& verb : VERBS) {
        if (word != verb.m_Name) {
            continue;
        }
        Message message;
        message.m_Verb = verb.m_Verb;
        switch (verb.m_Argument) {
        case VerbName::Argument::None:
            if (blank != std::string_view::npos) {
                return std::nullopt;
            }
            return message;
        case VerbName::Argument::Number: {
            const std::optional<uint32_t> number = ParseNumber(argument);
            if (!number) {
                return std::nullopt;
            }
            message.m_Number = *number;
            return message;
        }
        case VerbName::Argument::Text:
            message.m_Text = TrimBlanks(argument);
            if (message.m_Text.empty() || (verb.m_Verb == Verb::Join && message.m_Text.size() > MAX_NAME_LENGTH)) {
                return std::nullopt;
            }
            return message;
        }
    }
    return std::nullopt;
}

std::string GameProtocol::Compose(const Message& message) {
    for (const VerbName& verb : VERBS) {
        if (verb.m_Verb != message.m_Verb) {
            continue;
        }
        std::string datagram(PREFIX);
        datagram += verb.m_Name;
        if (verb.m_Argument == VerbName::Argument::Number) {
            datagram += ' ';
            datagram += std::to_string(message.m_Number);
        } else if (verb.m_Argument == VerbName::Argument::Text) {
            datagram += ' ';
            datagram += message.m_Text;
        }
        return datagram.substr(0, MAX_DATAGRAM);
    }
    return {};
}

} // namespace dravo::ref
