// ServiceVariables: the one table of the engine variables that the program's services only read: the
// remote console, the metrics endpoint, the fleet client, the internet presence and the empty-server exit.
//
// The operator sets them in the configuration file, as overrides or with console commands; the program
// never writes them. Each entry names the variable, what kind of value it takes, its range (for a
// secret, its shortest length), the default that holds when the value is not taken, and when it is read.
// VariableReader reads them; a value that is set but not taken is said with its range.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <string_view>

namespace dravo {

enum class VariableKind : uint8_t {
    Number,  // any number within the range
    Whole,   // a number within the range, its fraction then cut (a whole 1.5 is 1)
    Text,    // any non-empty text
    Address, // an IPv4 address in dotted form
    Secret,  // a text never logged, at least m_Low characters long
};

enum class VariableRead : uint8_t {
    HostingStart, // once, when hosting starts
    AfterCommand, // when hosting starts and again after every console command
    ConsoleOpen,  // once, when the console window opens
};

struct ServiceVariable {
    std::string_view m_Name;
    VariableKind m_Kind;
    double m_Low;               // the smallest value taken (a secret's shortest length)
    double m_High;              // the largest value taken
    std::string_view m_Default; // what holds when the value is not taken, as the log says it
    VariableRead m_Read;
    bool m_LowOpen = false; // m_Low itself is not taken, only what lies above it
};

namespace service_variable {

constexpr double ANY_LOW = std::numeric_limits<double>::lowest();
constexpr double ANY_HIGH = std::numeric_limits<double>::max();
constexpr double PORT_HIGH = 65535;
constexpr double MAX_TUNING_SECONDS = 2000000; // periods are counted in milliseconds later on
constexpr double MAX_RATE = 1000000;
constexpr double MAX_BYTES_PER_SECOND = 1073741824; // 1 GiB a second; more is no budget (0 says that)
constexpr double MAX_LISTENER_CONNECTIONS = 1024;

using enum VariableKind;
using enum VariableRead;

// The remote console.
constexpr ServiceVariable RCON_PASSWORD{"RconPassword", Secret, 8, 0, "off", AfterCommand};
constexpr ServiceVariable RCON_PORT{"RconPort", Whole, 1, PORT_HIGH, "the game port", HostingStart};
constexpr ServiceVariable RCON_BIND_ADDRESS{"RconBindAddress", Address, 0, 0, "127.0.0.1", HostingStart};
constexpr ServiceVariable RCON_MAX_CONNECTIONS{"RconMaxConnections",     Whole, 1,
                                               MAX_LISTENER_CONNECTIONS, "16",  HostingStart};
constexpr ServiceVariable RCON_MAX_PER_ADDRESS{"RconMaxPerAddress",      Whole, 1,
                                               MAX_LISTENER_CONNECTIONS, "4",   HostingStart};
constexpr ServiceVariable RCON_LOGIN_TIMEOUT{"RconLoginTimeout", Number, 0.01, 3600, "10", HostingStart};
constexpr ServiceVariable RCON_IDLE_TIMEOUT{"RconIdleTimeout", Number, 0.01, 86400, "600", HostingStart};
constexpr ServiceVariable RCON_MAX_FAILURES{"RconMaxFailures", Whole, 1, 100, "3", HostingStart};
constexpr ServiceVariable RCON_LOCKOUT{"RconLockout", Number, 0.01, 86400, "60", HostingStart};
constexpr ServiceVariable RCON_MAX_OUTPUT{"RconMaxOutput", Whole, 1024, 1048576, "65536", HostingStart};

// The metrics endpoint.
constexpr ServiceVariable METRICS_PORT{"MetricsPort", Whole, 1, PORT_HIGH, "off", HostingStart};
constexpr ServiceVariable METRICS_BIND_ADDRESS{"MetricsBindAddress", Address, 0, 0, "127.0.0.1", HostingStart};
constexpr ServiceVariable METRICS_MAX_CONNECTIONS{"MetricsMaxConnections",  Whole, 1,
                                                  MAX_LISTENER_CONNECTIONS, "8",   HostingStart};
constexpr ServiceVariable METRICS_MAX_PER_ADDRESS{"MetricsMaxPerAddress",   Whole, 1,
                                                  MAX_LISTENER_CONNECTIONS, "4",   HostingStart};
constexpr ServiceVariable METRICS_REQUEST_TIMEOUT{"MetricsRequestTimeout", Number, 0.01, 3600, "5", HostingStart};

// The fleet client (the environment's AGONES_SDK_HTTP_PORT comes first).
constexpr ServiceVariable AGONES_SDK_PORT{"AgonesSdkPort", Whole, 0, PORT_HIGH, "off", ConsoleOpen};
// An Allocated game server without players for this many seconds shuts down or is Ready again; 0 is off.
constexpr ServiceVariable ALLOCATED_EMPTY_DELAY{"AllocatedEmptyDelay", Whole, 0,
                                                MAX_TUNING_SECONDS,    "off", HostingStart};
constexpr ServiceVariable ALLOCATED_EMPTY_ACTION{"AllocatedEmptyAction", Text, 0, 0, "shutdown", HostingStart};

// The internet presence.
constexpr ServiceVariable SPY_MASTER_HOST{"SpyMasterHost", Text, 0, 0, "master%i.dravoserv.example", HostingStart};
constexpr ServiceVariable SPY_MASTER_PORT{"SpyMasterPort", Whole, 1, PORT_HIGH, "27900", HostingStart};
constexpr ServiceVariable SPY_QUERY_PORT{"SpyQueryPort", Whole, 1, PORT_HIGH, "25554", HostingStart};
// The game port named in heartbeats and answers when a NAT maps another onto the bound one; 0 is not set.
constexpr ServiceVariable ADVERTISED_PORT{"AdvertisedPort", Whole, 0, PORT_HIGH, "0", HostingStart};
constexpr ServiceVariable SPY_RATE_BURST{"SpyRateBurst", Whole, 0, MAX_RATE, "10", HostingStart};
constexpr ServiceVariable SPY_RATE_PER_SECOND{"SpyRatePerSecond", Whole, 0, MAX_RATE, "1", HostingStart};
constexpr ServiceVariable SPY_GLOBAL_RATE{"SpyGlobalRate", Whole, 0, MAX_RATE, "50", HostingStart};
constexpr ServiceVariable SPY_GLOBAL_BYTES{"SpyGlobalBytes", Whole, 0, MAX_BYTES_PER_SECOND, "262144", HostingStart};
constexpr ServiceVariable A2S_QUERIES{"A2sQueries", Whole, 0, 1, "1", HostingStart};
constexpr ServiceVariable A2S_INFO_CHALLENGE{"A2sInfoChallenge", Whole, 0, 1, "1", HostingStart};
constexpr ServiceVariable SPY_GAME_TYPE{"SpyGameType", Text, 0, 0, "deathmatch", AfterCommand};
constexpr ServiceVariable SPY_GAME_MODE{"SpyGameMode", Text, 0, 0, "openplaying", AfterCommand};
constexpr ServiceVariable WEB_REG_URL{"WebRegUrl", Text, 0, 0, "the built-in list", HostingStart};
constexpr ServiceVariable WEB_REG_UPDATE{"WebRegUpdate", Whole, 1, MAX_TUNING_SECONDS, "400", HostingStart, true};

// The empty-server exit: EmptyExit 1 or more turns it on, as -emptyexit does.
constexpr ServiceVariable EMPTY_EXIT{"EmptyExit", Number, ANY_LOW, ANY_HIGH, "off", HostingStart};
constexpr ServiceVariable EMPTY_EXIT_DELAY{"EmptyExitDelay", Whole, 1, MAX_TUNING_SECONDS, "60", HostingStart};

// The warned stop of a stop signal: at most 10 seconds, so that the whole stop, the normal end after the
// countdown included, stays within the program's 15 seconds and a supervisor's 30 seconds of grace.
constexpr double MAX_STOP_SIGNAL_COUNTDOWN = 10;
constexpr ServiceVariable STOP_SIGNAL_COUNTDOWN{"StopSignalCountdown",     Whole, 0,
                                                MAX_STOP_SIGNAL_COUNTDOWN, "0",   HostingStart};

} // namespace service_variable

// Every entry, for the secrets' masking, the guide's check and the tests.
inline constexpr std::array SERVICE_VARIABLES = {
    service_variable::RCON_PASSWORD,
    service_variable::RCON_PORT,
    service_variable::RCON_BIND_ADDRESS,
    service_variable::RCON_MAX_CONNECTIONS,
    service_variable::RCON_MAX_PER_ADDRESS,
    service_variable::RCON_LOGIN_TIMEOUT,
    service_variable::RCON_IDLE_TIMEOUT,
    service_variable::RCON_MAX_FAILURES,
    service_variable::RCON_LOCKOUT,
    service_variable::RCON_MAX_OUTPUT,
    service_variable::METRICS_PORT,
    service_variable::METRICS_BIND_ADDRESS,
    service_variable::METRICS_MAX_CONNECTIONS,
    service_variable::METRICS_MAX_PER_ADDRESS,
    service_variable::METRICS_REQUEST_TIMEOUT,
    service_variable::AGONES_SDK_PORT,
    service_variable::ALLOCATED_EMPTY_DELAY,
    service_variable::ALLOCATED_EMPTY_ACTION,
    service_variable::SPY_MASTER_HOST,
    service_variable::SPY_MASTER_PORT,
    service_variable::SPY_QUERY_PORT,
    service_variable::ADVERTISED_PORT,
    service_variable::SPY_RATE_BURST,
    service_variable::SPY_RATE_PER_SECOND,
    service_variable::SPY_GLOBAL_RATE,
    service_variable::SPY_GLOBAL_BYTES,
    service_variable::A2S_QUERIES,
    service_variable::A2S_INFO_CHALLENGE,
    service_variable::SPY_GAME_TYPE,
    service_variable::SPY_GAME_MODE,
    service_variable::WEB_REG_URL,
    service_variable::WEB_REG_UPDATE,
    service_variable::EMPTY_EXIT,
    service_variable::EMPTY_EXIT_DELAY,
    service_variable::STOP_SIGNAL_COUNTDOWN,
};

// The secret entries (their values are masked in every log line).
inline constexpr std::array SECRET_VARIABLES = {service_variable::RCON_PASSWORD};

} // namespace dravo
