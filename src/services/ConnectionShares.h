// ConnectionShares: the connections the remote console and the metrics may hold at once, within the
// descriptors the process may open. What the game and the program keep open themselves is set aside; when
// the two listeners' limits would take more than is left, each is cut in proportion, so that connections
// are refused by the limits, not by a listener that runs out of descriptors.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace dravo {

constexpr uint64_t RESERVED_DESCRIPTORS = 128;

struct ConnectionShares {
    size_t m_Rcon = 0;
    size_t m_Metrics = 0;
};

// `rcon` and `metrics` are the limits asked for (0 for a listener that is off).
inline ConnectionShares CapToOpenFiles(size_t rcon, size_t metrics, std::optional<uint64_t> openFiles) {
    const uint64_t wanted = uint64_t{rcon} + metrics;
    if (!openFiles || wanted == 0) {
        return {rcon, metrics};
    }
    const uint64_t room = *openFiles > RESERVED_DESCRIPTORS + 2 ? *openFiles - RESERVED_DESCRIPTORS : 2;
    if (wanted <= room) {
        return {rcon, metrics};
    }
    const auto share = [&](size_t asked) {
        return asked == 0 ? size_t{0} : std::max<size_t>(static_cast<size_t>(asked * room / wanted), 1);
    };
    return {share(rcon), share(metrics)};
}

} // namespace dravo
