// Fuzz target: the remote console's packet reader, fed a connection's bytes in pieces of the sizes the
// input's first bytes choose. Whatever comes, it keeps within its bound, hands out only packets that
// encode back to the bytes they came from, and refuses everything after junk.
#include "services/rcon/RconPacket.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace dravo;
    if (size < 1) {
        return 0;
    }
    const size_t piece = 1 + data[0] % 64 * 97; // 1 to about 6 KB
    std::span<const char> rest(reinterpret_cast<const char*>(data + 1), size - 1);
    RconPacketReader reader;
    std::string taken; // every byte handed out as packets, encoded again
    size_t fed = 0;
    while (!rest.empty()) {
        const std::span<const char> bytes = rest.first(std::min(piece, rest.size()));
        rest = rest.subspan(bytes.size());
        if (!reader.Feed(bytes)) {
            break;
        }
        fed += bytes.size();
        while (auto packet = reader.Next()) {
            if (packet->m_Body.size() > MAX_RCON_BODY || packet->m_Body.find('\0') != std::string::npos) {
                std::abort();
            }
            taken += EncodeRconPacket(packet->m_Id, packet->m_Type, packet->m_Body);
        }
        if (reader.Buffered() > RconPacketReader::MAX_BUFFERED) {
            std::abort();
        }
    }
    // What came out is exactly the start of what went in.
    if (taken.size() > fed || taken != std::string(reinterpret_cast<const char*>(data + 1), taken.size())) {
        std::abort();
    }
    if (reader.Failed() && (reader.Feed(std::span<const char>("x", 1)) || reader.Next())) {
        std::abort();
    }
    return 0;
}
