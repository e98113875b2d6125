// ReadBoundedFile: reads a whole text file that the operator keeps beside the game, safely.
//
// Only a regular file is read (a link is followed): a FIFO, a device such as
// /dev/zero, or a directory is refused without waiting on it. At most `maxBytes`
// are read; the rest is left out and said so. Any thread.
#pragma once

#include <cstddef>
#include <filesystem>
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

} // namespace dravo
