// ReadBoundedFile: reads a whole text file that the operator keeps beside the game, safely.
//
// Only a regular file is read (a link is followed): a FIFO, a device such as
// /dev/zero, or a directory is refused without waiting on it. At most `maxBytes`
// are read; the rest is left out and said so. Any thread.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>

namespace dravo {

struct BoundedFile {
    enum class Outcome {
        Read,       // the whole file is in m_Bytes
        Cut,        // the file is larger: its first maxBytes are in m_Bytes
        Missing,    // nothing by that name (or it cannot be opened)
        NotRegular, // a directory, a FIFO, a device...
    };
    Outcome m_Outcome = Outcome::Missing;
    std::string m_Bytes;

    bool HasText() const { return m_Outcome == Outcome::Read || m_Outcome == Outcome::Cut; }
};

BoundedFile ReadBoundedFile(const std::filesystem::path& file, size_t maxBytes);

// Each platform's reader feeds this: `read` fills the buffer it is given and returns how much it read,
// 0 at the end or on an error. What comes is appended to `result` up to maxBytes; more makes it Cut.
void AppendUpTo(BoundedFile& result, size_t maxBytes, const std::function<size_t(char* buffer, size_t size)>& read);

} // namespace dravo
