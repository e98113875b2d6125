// GameMessages: the tagged-field texts the game code sends to the front end.
#include "GameMessages.h"

namespace dravo::ref {

namespace {

constexpr const char* TAG_KIND = "GMSG";
constexpr const char* TAG_CURRENT_LEVEL = "CLEV";
constexpr const char* TAG_NEXT_LEVEL = "NLEV";
constexpr const char* TAG_PLAYER_COUNT = "PLRS";
constexpr const char* TAG_PLAYER_NAME = "PLRN";
constexpr const char* TAG_PLAYER_FRAGS = "PLRF";
constexpr const char* TAG_PLAYER_ID = "PLRI";
constexpr const char* TAG_CONSOLE_TEXT = "CMSG";

enum class Kind { StateUpdate = 0, LevelChanged = 1, ConsoleText = 2, LevelChangeBegins = 3 };

// An empty value would read as a missing field, so it is left out.
void AppendField(std::string& text, std::string_view tag, std::string_view value) {
    if (value.empty()) {
        return;
    }
    text += '[';
    text += tag;
    text += ':';
    text += GameMessages::FieldValue(value);
    text += ']';
}

std::string Begin(Kind kind) {
    std::string text;
    AppendField(text, TAG_KIND, std::to_string(static_cast<int>(kind)));
    return text;
}

} // namespace

std::string GameMessages::FieldValue(std::string_view text) {
    std::string value(text);
    for (char& c : value) {
        if (c == '[') {
            c = '(';
        } else if (c == ']') {
            c = ')';
        }
    }
    return value;
}

std::string GameMessages::StateUpdate(std::string_view current, std::string_view next, const ClientTable& clients) {
    std::string text = Begin(Kind::StateUpdate);
    AppendField(text, TAG_CURRENT_LEVEL, current);
    AppendField(text, TAG_NEXT_LEVEL, next);
    AppendField(text, TAG_PLAYER_COUNT, std::to_string(clients.Count()));
    int number = 0;
    for (const Client& client : clients.All()) {
        const std::string suffix = std::to_string(++number);
        AppendField(text, std::string(TAG_PLAYER_NAME) + suffix, client.m_Name);
        AppendField(text, std::string(TAG_PLAYER_FRAGS) + suffix, std::to_string(client.m_Frags));
        AppendField(text, std::string(TAG_PLAYER_ID) + suffix, std::to_string(client.m_Id));
    }
    return text;
}

std::string GameMessages::LevelChanged(std::string_view current, std::string_view next) {
    std::string text = Begin(Kind::LevelChanged);
    AppendField(text, TAG_CURRENT_LEVEL, current);
    AppendField(text, TAG_NEXT_LEVEL, next);
    return text;
}

std::string GameMessages::ConsoleText(std::string_view text) {
    std::string message = Begin(Kind::ConsoleText);
    AppendField(message, TAG_CONSOLE_TEXT, text);
    return message;
}

std::string GameMessages::LevelChangeBegins() {
    return Begin(Kind::LevelChangeBegins);
}

} // namespace dravo::ref
