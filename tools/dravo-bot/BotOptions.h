// BotOptions: the command line of dravo-bot.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dravo::bot {

struct BotOptions {
    static constexpr int MAX_COUNT = 512;
    static constexpr double MAX_DURATION_SECONDS = 3600.0;

    std::string m_Host = "127.0.0.1";
    uint16_t m_Port = 0;              // required
    std::vector<std::string> m_Names; // one per player, given names first, then prefix + number
    double m_DurationSeconds = 30.0;  // then every player leaves and the program ends
    double m_ChurnSeconds = 0.0;      // 0 = players stay
    bool m_Quiet = false;             // no event lines
    bool m_AllowRemote = false;       // a host that is not loopback is refused without it
    std::optional<uint32_t> m_Seed;   // for the churn times; random unless given

    // The options, or empty with `error` set (the usage text when asked for help).
    static std::optional<BotOptions> Parse(const std::vector<std::string>& arguments, std::string& error);
    static const char* Usage();
};

} // namespace dravo::bot
