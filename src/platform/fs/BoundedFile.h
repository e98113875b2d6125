// ReadBoundedFile: reads a whole text file that the operator keeps beside the game, safely.
//
// Only a regular file is read (a link is followed): a FIFO, a device such as
// /dev/zero, or a directory is refused without waiting on it. At most `maxBytes`
// are read, the first ones or the last ones; the rest is left out and said so.
// Any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace dravo {

struct BoundedFile {
    enum class Outcome {
        Read,       // the whole file is in m_Bytes
        Cut,        // the file is larger: its first (or last) maxBytes are in m_Bytes
        Missing,    // nothing by that name (or it cannot be opened)
        NotRegular, // a directory, a FIFO, a device...
    };
    Outcome m_Outcome = Outcome::Missing;
    std::string m_Bytes;

    bool HasText() const { return m_Outcome == Outcome::Read || m_Outcome == Outcome::Cut; }
};

enum class FilePart { First, Last };

BoundedFile ReadBoundedFile(const std::filesystem::path& file, size_t maxBytes, FilePart part = FilePart::First);

// Each platform's reader feeds this: `read` fills the buffer it is given and returns how much it read,
// 0 at the end or on an error. What comes is appended to `result` up to maxBytes; more makes it Cut.
void AppendUpTo(BoundedFile& result, size_t maxBytes, const std::function<size_t(char* buffer, size_t size)>& read);
// Where the last `maxBytes` of a file of `size` bytes begin (0 when it is no larger).
inline uint64_t LastPartStart(uint64_t size, size_t maxBytes) {
    return size > maxBytes ? size - maxBytes : 0;
}

} // namespace dravo
