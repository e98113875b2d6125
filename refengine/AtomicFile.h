// AtomicFile: replaces a file's contents all at once.
//
// The bytes go into a temporary file in the target's directory, are flushed
// to disk, and the temporary file is renamed over the target. A reader sees
// the old file or the new one, never a part; when anything fails the target
// is left untouched and the temporary file is removed. A target that is a
// symbolic link is followed: the file it names is replaced, in its own
// directory, and the link stays. Temporary files that a killed save left behind
// are removed by the next save of the same file.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace dravo::ref {

class AtomicFile {
public:
    // Empty on success, else a sentence saying what failed.
    static std::string Write(const std::filesystem::path& target, std::string_view bytes);
    // Reads a whole file of at most maxBytes; empty error on success.
    static std::string Read(const std::filesystem::path& source, size_t maxBytes, std::string& bytes);
};

} // namespace dravo::ref
