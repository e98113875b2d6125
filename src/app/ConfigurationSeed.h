// ConfigurationSeed: the first run with an empty data directory (a new container volume) starts from the
// sample game's configuration, named by DRAVO_CONFIG_SAMPLE. Its net_bindaddress lines are left out: in a
// container the game takes every address unless DRAVO_BIND_ADDRESS says otherwise. In a directory its
// group may write (a volume shared by whatever user id the platform gives, in group 0), the copy is the
// group's to write too.
#pragma once

#include <cstddef>
#include <string>

namespace dravo {

inline constexpr const char* CONFIG_SAMPLE_VARIABLE = "DRAVO_CONFIG_SAMPLE";
constexpr size_t MAX_CONFIG_SAMPLE_BYTES = size_t{256} * 1024;

// Copies `samplePath` (null or empty: nothing to do) to `configPath` when that does not exist yet;
// returns why it could not, empty when all is well.
std::string SeedConfiguration(const std::string& configPath, const char* samplePath);

} // namespace dravo
