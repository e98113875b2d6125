// The DRAVO_* variables and a panel's STARTUP command as arguments.
#include "app/EnvironmentArguments.h"

#include <array>
#include <string_view>

namespace dravo {
namespace {

struct VariableArgument {
    const char* m_Variable;
    const char* m_Argument;
    bool m_EmptyCounts; // an empty value is a value (a bind address of "every address")
};

constexpr std::array<VariableArgument, 7> VARIABLES = {{
    {"DRAVO_CONFIG", "-CONFIG", false},
    {"DRAVO_LOGFILE", "-logfile", false},
    {"DRAVO_SERVER_NAME", "+ServerName", false},
    {"DRAVO_PORT", "+Port", false},
    {"DRAVO_QUERY_PORT", "+SpyQueryPort", false},
    {"DRAVO_MAX_PLAYERS", "+MaxPlayers", false},
    {"DRAVO_BIND_ADDRESS", "+net_bindaddress", true},
}};

constexpr std::string_view OPEN_NAME = "{{";
constexpr std::string_view CLOSE_NAME = "}}";
constexpr size_t MAX_NAME = 64;

bool IsNameCharacter(char c, bool first) {
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    return letter || (!first && c >= '0' && c <= '9');
}

// The variable name of a "{{NAME}}" at the start of `text`, or empty when there is none.
std::string_view PlaceholderName(std::string_view text) {
    if (!text.starts_with(OPEN_NAME)) {
        return {};
    }
    const size_t end = text.find(CLOSE_NAME, OPEN_NAME.size());
    if (end == std::string_view::npos || end == OPEN_NAME.size() || end - OPEN_NAME.size() > MAX_NAME) {
        return {};
    }
    const std::string_view name = text.substr(OPEN_NAME.size(), end - OPEN_NAME.size());
    for (size_t i = 0; i < name.size(); ++i) {
        if (!IsNameCharacter(name[i], i == 0)) {
            return {};
        }
    }
    return name;
}

} // namespace

std::vector<std::string> StartupWords(const std::string& command, const EnvironmentLookup& lookup, std::string& error) {
    if (command.size() > MAX_STARTUP_BYTES) {
        error = "STARTUP is longer than " + std::to_string(MAX_STARTUP_BYTES) + " bytes.";
        return {};
    }
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    char quote = '\0';
    const std::string_view text(command);
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (const std::string_view name = PlaceholderName(text.substr(i)); !name.empty()) {
            const char* value = lookup(std::string(name).c_str());
            word += value == nullptr ? "" : value; // as it stands: never split nor read again
            inWord = true;
            i += OPEN_NAME.size() + name.size() + CLOSE_NAME.size() - 1;
        } else if (quote != '\0') {
            if (c == quote) {
                quote = '\0';
            } else {
                word += c;
            }
        } else if (c == '"' || c == '\'') {
            quote = c;
            inWord = true;
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (inWord) {
                words.push_back(std::move(word));
                word.clear();
                inWord = false;
            }
        } else {
            word += c;
            inWord = true;
        }
        if (words.size() > MAX_STARTUP_WORDS) {
            error = "STARTUP holds more than " + std::to_string(MAX_STARTUP_WORDS) + " words.";
            return {};
        }
    }
    if (quote != '\0') {
        error = std::string("STARTUP has an unclosed ") + quote + " quote.";
        return {};
    }
    if (inWord) {
        words.push_back(std::move(word));
    }
    return words;
}

std::vector<std::string> WithEnvironmentArguments(const std::vector<std::string>& arguments,
                                                  const EnvironmentLookup& lookup, std::string& error) {
    std::vector<std::string> startupWords;
    const char* startup = lookup("STARTUP");
    if (startup != nullptr && *startup != '\0') {
        startupWords = StartupWords(startup, lookup, error);
        if (!error.empty()) {
            return arguments;
        }
        if (!startupWords.empty()) {
            startupWords.erase(startupWords.begin()); // the command's own name
        }
    }
    std::vector<std::string> result;
    result.push_back(arguments.empty() ? std::string("dravoserv") : arguments[0]);
    for (const VariableArgument& variable : VARIABLES) {
        const char* value = lookup(variable.m_Variable);
        if (value != nullptr && (*value != '\0' || variable.m_EmptyCounts)) {
            result.emplace_back(variable.m_Argument);
            result.emplace_back(value);
        }
    }
    result.insert(result.end(), startupWords.begin(), startupWords.end());
    result.insert(result.end(), arguments.begin() + (arguments.empty() ? 0 : 1), arguments.end());
    return result;
}

} // namespace dravo
