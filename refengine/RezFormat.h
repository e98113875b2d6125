// RezFormat: the layout of the engine's ".rez" resource archives.
//
// All numbers are little-endian.
//
//   offset 0   8 bytes   magic "DRAVOREZ"
//   offset 8   uint32    format version, 1
//   offset 12  uint32    number of entries
//   offset 16  the entry table, one record per file:
//                uint32  offset of the file's data from the start of the archive
//                uint32  size of the file's data
//                uint16  length of the name (1 to MAX_NAME_LENGTH)
//                bytes   the name: the file's path inside the archive, components separated by
//                        backslashes, no empty, "." or ".." components, no NUL or slash
//   then the file data, each file's bytes at its offset, after the end of the table.
//
// Directories are implied by the names. Names are unique without regard to case,
// and no name is also a directory of another. A reader refuses an archive that
// breaks any of these rules or whose table or data run past the end of the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace dravo::ref {

struct RezFormat {
    static constexpr std::string_view MAGIC = "DRAVOREZ";
    static constexpr uint32_t VERSION = 1;
    static constexpr size_t HEADER_SIZE = 16;
    static constexpr size_t ENTRY_FIXED_SIZE = 10; // offset, size and name length
    static constexpr size_t MAX_NAME_LENGTH = 1024;
    static constexpr uint64_t MAX_ARCHIVE_SIZE = UINT32_MAX;
};

} // namespace dravo::ref
