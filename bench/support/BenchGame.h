// BenchGame: a temporary copy of the sample game, configured for one benchmark
// (its own free game port on loopback), and the paths of the programs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

namespace dravo::bench {

std::filesystem::path BinDir();
std::filesystem::path DataDir();
// A UDP port on 127.0.0.1 that nothing is bound to at the moment of asking.
uint16_t FreeUdpPort();

class BenchGame {
public:
    BenchGame();
    ~BenchGame();
    BenchGame(const BenchGame&) = delete;
    BenchGame& operator=(const BenchGame&) = delete;

    const std::filesystem::path& Path() const { return m_Path; }
    uint16_t Port() const { return m_Port; }
    // Sets variables in the game's configuration file through the reference engine.
    bool Configure(const std::map<std::string, std::string>& values);

private:
    std::filesystem::path m_Path;
    uint16_t m_Port = 0;
};

} // namespace dravo::bench
