// BotOptions: the command line of dravo-bot.
#include "BotOptions.h"

#include "GameProtocol.h"

#include <charconv>
#include <cmath>

namespace dravo::bot {

namespace {

template <typename Number> bool ParseNumber(const std::string& text, Number& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

std::vector<std::string> SplitNames(const std::string& list) {
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= list.size()) {
        const size_t comma = list.find(',', start);
        const size_t end = comma == std::string::npos ? list.size() : comma;
        names.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

} // namespace

const char* BotOptions::Usage() {
    return "Usage: dravo-bot --port P [--host 127.0.0.1] [--count N] [--names Ace,Bob,...] [--prefix Bot]\n"
           "                 [--duration SECONDS] [--churn SECONDS] [--seed N] [--quiet] [--allow-remote]\n"
           "Joins N simulated players (one UDP socket each) to the game port, answers pings and keeps them\n"
           "alive. With --churn each player stays about that many seconds, leaves, and joins again a little\n"
           "later. After --duration (default 30, at most 3600) every player leaves and the program ends.\n"
           "Only loopback hosts are accepted unless --allow-remote is given.\n";
}

std::optional<BotOptions> BotOptions::Parse(const std::vector<std::string>& arguments, std::string& error) {
    BotOptions options;
    std::optional<int> count;
    std::string prefix = "Bot";
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        const std::string value = hasValue ? arguments[i + 1] : std::string();
        auto needsValue = [&] {
            if (!hasValue) {
                error = option + " needs a value.";
                return false;
            }
            ++i;
            return true;
        };
        if (option == "--help" || option == "-h") {
            error = Usage();
            return std::nullopt;
        } else if (option == "--quiet") {
            options.m_Quiet = true;
        } else if (option == "--allow-remote") {
            options.m_AllowRemote = true;
        } else if (option == "--host") {
            if (!needsValue()) {
                return std::nullopt;
            }
            options.m_Host = value;
        } else if (option == "--port") {
            if (!needsValue()) {
                return std::nullopt;
            }
            if (!ParseNumber(value, options.m_Port) || options.m_Port == 0) {
                error = "--port needs a UDP port from 1 to 65535.";
                return std::nullopt;
            }
        } else if (option == "--count") {
            int number = 0;
            if (!needsValue()) {
                return std::nullopt;
            }
            if (!ParseNumber(value, number) || number < 1 || number > MAX_COUNT) {
                error = "--count needs a number from 1 to " + std::to_string(MAX_COUNT) + ".";
                return std::nullopt;
            }
            count = number;
        } else if (option == "--names") {
            if (!needsValue()) {
                return std::nullopt;
            }
            options.m_Names = SplitNames(value);
            for (const std::string& name : options.m_Names) {
                if (!ref::GameProtocol::IsValidName(name)) {
                    error = "\"" + name + "\" is not a player name (1 to 63 printable characters).";
                    return std::nullopt;
                }
            }
        } else if (option == "--prefix") {
            if (!needsValue()) {
                return std::nullopt;
            }
            prefix = value;
        } else if (option == "--duration" || option == "--churn") {
            double seconds = 0.0;
            if (!needsValue()) {
                return std::nullopt;
            }
            if (!ParseNumber(value, seconds) || !std::isfinite(seconds) || seconds < 0.0 ||
                seconds > MAX_DURATION_SECONDS || (option == "--duration" && seconds <= 0.0)) {
                error = option + " needs a number of seconds up to " + std::to_string(int(MAX_DURATION_SECONDS)) + ".";
                return std::nullopt;
            }
            (option == "--duration" ? options.m_DurationSeconds : options.m_ChurnSeconds) = seconds;
        } else if (option == "--seed") {
            uint32_t seed = 0;
            if (!needsValue()) {
                return std::nullopt;
            }
            if (!ParseNumber(value, seed)) {
                error = "--seed needs a whole number.";
                return std::nullopt;
            }
            options.m_Seed = seed;
        } else {
            error = "Unknown option " + option + ".\n" + Usage();
            return std::nullopt;
        }
    }
    if (options.m_Port == 0) {
        error = std::string("--port is required.\n") + Usage();
        return std::nullopt;
    }
    const int wanted = count.value_or(options.m_Names.empty() ? 1 : static_cast<int>(options.m_Names.size()));
    if (options.m_Names.size() > static_cast<size_t>(wanted)) {
        options.m_Names.resize(static_cast<size_t>(wanted));
    }
    for (int number = 1; options.m_Names.size() < static_cast<size_t>(wanted); ++number) {
        const std::string name = prefix + std::to_string(number);
        if (!ref::GameProtocol::IsValidName(name)) {
            error = "--prefix \"" + prefix + "\" does not make valid player names.";
            return std::nullopt;
        }
        options.m_Names.push_back(name);
    }
    return options;
}

} // namespace dravo::bot
