// BotOptions: the command line of dravo-bot.
#include "BotOptions.h"

#include "GameProtocol.h"

#include <charconv>
#include <cmath>
#include <getopt.h>

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

namespace {

// Each option's value (its getopt code) is the index of its name in LONG_OPTIONS.
enum Code : int { Help, Quiet, AllowRemote, Host, Port, Count, Names, Prefix, Duration, Churn, Seed };
const option LONG_OPTIONS[] = {
    {"help", no_argument, nullptr, Help},
    {"quiet", no_argument, nullptr, Quiet},
    {"allow-remote", no_argument, nullptr, AllowRemote},
    {"host", required_argument, nullptr, Host},
    {"port", required_argument, nullptr, Port},
    {"count", required_argument, nullptr, Count},
    {"names", required_argument, nullptr, Names},
    {"prefix", required_argument, nullptr, Prefix},
    {"duration", required_argument, nullptr, Duration},
    {"churn", required_argument, nullptr, Churn},
    {"seed", required_argument, nullptr, Seed},
    {nullptr, 0, nullptr, 0},
};

// What the options give besides the record: the player count and the prefix of the made-up names.
struct NameRule {
    std::optional<int> m_Count;
    std::string m_Prefix = "Bot";
};

std::string ApplySeconds(int code, const std::string& value, BotOptions& options) {
    const std::string name = "--" + std::string(LONG_OPTIONS[code].name);
    double seconds = 0.0;
    if (!ParseNumber(value, seconds) || !std::isfinite(seconds) || seconds < 0.0 ||
        seconds > BotOptions::MAX_DURATION_SECONDS || (code == Duration && seconds <= 0.0)) {
        return name + " needs a number of seconds up to " + std::to_string(int(BotOptions::MAX_DURATION_SECONDS)) + ".";
    }
    (code == Duration ? options.m_DurationSeconds : options.m_ChurnSeconds) = seconds;
    return {};
}

std::string ApplyNames(const std::string& value, BotOptions& options) {
    options.m_Names = SplitNames(value);
    for (const std::string& name : options.m_Names) {
        if (!ref::GameProtocol::IsValidName(name)) {
            return "\"" + name + "\" is not a player name (1 to 63 printable characters).";
        }
    }
    return {};
}

// One option with its value; why it is refused, or nothing.
std::string ApplyOption(int code, const std::string& value, BotOptions& options, NameRule& names) {
    int number = 0;
    uint32_t seed = 0;
    switch (code) {
    case Quiet:
        options.m_Quiet = true;
        return {};
    case AllowRemote:
        options.m_AllowRemote = true;
        return {};
    case Host:
        options.m_Host = value;
        return {};
    case Port:
        return ParseNumber(value, options.m_Port) && options.m_Port != 0 ? std::string()
                                                                         : "--port needs a UDP port from 1 to 65535.";
    case Count:
        if (!ParseNumber(value, number) || number < 1 || number > BotOptions::MAX_COUNT) {
            return "--count needs a number from 1 to " + std::to_string(BotOptions::MAX_COUNT) + ".";
        }
        names.m_Count = number;
        return {};
    case Names:
        return ApplyNames(value, options);
    case Prefix:
        names.m_Prefix = value;
        return {};
    case Duration:
    case Churn:
        return ApplySeconds(code, value, options);
    case Seed:
        if (!ParseNumber(value, seed)) {
            return "--seed needs a whole number.";
        }
        options.m_Seed = seed;
        return {};
    default:
        return {};
    }
}

// The given names cut to the count, then the prefix with a number up to it.
std::string CompleteNames(BotOptions& options, const NameRule& names) {
    const int wanted = names.m_Count.value_or(options.m_Names.empty() ? 1 : static_cast<int>(options.m_Names.size()));
    if (options.m_Names.size() > static_cast<size_t>(wanted)) {
        options.m_Names.resize(static_cast<size_t>(wanted));
    }
    for (int number = 1; options.m_Names.size() < static_cast<size_t>(wanted); ++number) {
        const std::string name = names.m_Prefix + std::to_string(number);
        if (!ref::GameProtocol::IsValidName(name)) {
            return "--prefix \"" + names.m_Prefix + "\" does not make valid player names.";
        }
        options.m_Names.push_back(name);
    }
    return {};
}

} // namespace

std::optional<BotOptions> BotOptions::Parse(const std::vector<std::string>& arguments, std::string& error) {
    std::vector<std::string> words = {"dravo-bot"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    const int argc = static_cast<int>(words.size());

    BotOptions options;
    NameRule names;
    // "+": stop at the first word that is no option (it is refused below); ":": report a missing value.
    optind = 0; // a fresh scan, also when Parse runs more than once
    opterr = 0;
    for (int code; (code = getopt_long(argc, argv.data(), "+:h", LONG_OPTIONS, nullptr)) != -1;) {
        if (code == 'h' || code == Help) {
            error = Usage();
        } else if (code == ':') { // getopt names the option by its code
            error = "--" + std::string(LONG_OPTIONS[optopt].name) + " needs a value.";
        } else if (code == '?') {
            error = "Unknown option " + std::string(argv[optind - 1]) + ".\n" + Usage();
        } else {
            error = ApplyOption(code, optarg != nullptr ? optarg : "", options, names);
        }
        if (!error.empty()) {
            return std::nullopt;
        }
    }
    if (optind < argc) { // a word that is no option
        error = "Unknown option " + words[static_cast<size_t>(optind)] + ".\n" + Usage();
    } else if (options.m_Port == 0) {
        error = std::string("--port is required.\n") + Usage();
    } else {
        error = CompleteNames(options, names);
    }
    if (!error.empty()) {
        return std::nullopt;
    }
    return options;
}

} // namespace dravo::bot
