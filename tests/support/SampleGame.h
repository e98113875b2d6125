// SampleGame: a copy of the sample game in a fresh temporary directory, its configuration set through
// the reference engine, and dravoserv and dravo-bot run in it on loopback ports of their own.
//
// dravoserv binds its ports itself. A start is given two ports leased to the test (LoopbackPorts) as
// overrides ("+Port", "+SpyQueryPort").
#pragma once

#include "support/LiveProcess.h"
#include "support/TempDir.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace dravo::test {

class SampleGame {
public:
    static constexpr const char* RUNNING = "Server is running.";
    static constexpr const char* HOSTING_FAILED = "ERROR - Unable to host the game.";

    // What to start: the program and its arguments before the port overrides.
    struct Start {
        std::filesystem::path m_Program;
        std::vector<std::string> m_Arguments = {"-go", "-face", "headless"};
        bool m_CloseInput = false; // started without standard input, as a service manager does
    };

    // A copy of `source` (the sample game in data/ unless given), its game port kept to loopback.
    explicit SampleGame(const std::filesystem::path& source = {});
    // Binds the game port of the game in `gameDirectory` to 127.0.0.1 (the sample binds every address).
    static void KeepToLoopback(const std::filesystem::path& gameDirectory);

    const std::filesystem::path& Path() const { return m_Directory.Path(); }
    std::string Read(const std::filesystem::path& relative) const { return m_Directory.Read(relative); }
    void Write(const std::filesystem::path& relative, const std::string& content) const {
        m_Directory.Write(relative, content);
    }
    // Sets variables in a configuration file of the game; false with the reason in `error`.
    bool Configure(const std::map<std::string, std::string>& values, std::string& error,
                   const std::string& file = "dravosrv.cfg") const;

    // The ports of the last start.
    uint16_t GamePort() const { return m_GamePort; }
    uint16_t QueryPort() const { return m_QueryPort; }

    // Starts dravoserv (-go, headless) with `arguments` added; see Start.
    std::unique_ptr<LiveProcess> StartServer(const std::vector<std::string>& arguments = {});
    // Returns the server once it said "Server is running.", or as it is when it did not.
    std::unique_ptr<LiveProcess> StartServer(const Start& start);
    // dravo-bot players joining the game port of the last start.
    std::unique_ptr<LiveProcess> StartBots(const std::vector<std::string>& arguments) const;

private:
    TempDir m_Directory;
    uint16_t m_GamePort = 0;
    uint16_t m_QueryPort = 0;
};

} // namespace dravo::test
