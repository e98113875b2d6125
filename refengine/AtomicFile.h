// AtomicFile: replaces a file's contents all at once.
//
// The bytes go into a temporary file in the target's directory, are flushed
// to disk, and the temporary file is renamed over the target. A reader sees
// the old file or the new one, never a part; when anything fails the target
// is left untouched and the temporary file is removed. A target that is a
// symbolic link is followed: the file it names is replaced, in its own
// directory, and the link stays. The temporary file is named
// ".<name>.dravo-save-" and six random letters or digits, a name nobody else
// uses, and a save holds it (locked, or open without sharing on Windows) until
// its rename; those that a killed save left behind, and only those, are removed
// by the next save of the same file.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace dravo::ref {

class AtomicFile {
public:
    static constexpr size_t TEMPORARY_RANDOM_LENGTH = 6;
    // What the temporary files of a file of this name begin with.
    static std::string TemporaryPrefix(const std::string& fileName) { return "." + fileName + ".dravo-save-"; }

    // Empty on success, else a sentence saying what failed.
    static std::string Write(const std::filesystem::path& target, std::string_view bytes);
};

} // namespace dravo::ref
