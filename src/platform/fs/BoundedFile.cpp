// Reading a file up to a size: what every platform shares.
#include "platform/fs/BoundedFile.h"

#include <algorithm>

namespace dravo {

void AppendUpTo(BoundedFile& result, size_t maxBytes, const std::function<size_t(char* buffer, size_t size)>& read) {
    result.m_Outcome = BoundedFile::Outcome::Read;
    char chunk[16384];
    for (;;) {
        const size_t room = maxBytes - result.m_Bytes.size();
        // One byte beyond the room tells a file that fits exactly from a larger one.
        const size_t got = read(chunk, std::min(sizeof chunk, room + 1));
        if (got == 0) {
            break; // the end, or a read error: what came so far counts
        }
        if (got > room) {
            result.m_Bytes.append(chunk, room);
            result.m_Outcome = BoundedFile::Outcome::Cut;
            break;
        }
        result.m_Bytes.append(chunk, got);
    }
}

} // namespace dravo
