// AtomicFile: replaces a file's contents all at once.
//
// The bytes go into a temporary file in the target's directory, are flushed
// to disk, and the temporary file is renamed over the target. A reader sees
// the old file or the new one, never a part; when anything fails the target
// is left untouched and the temporary file is removed. A target that is a
// symbolic link is followed: the file it names is replaced, in its own
// directory, and the link stays. The temporary file is named
// ".<name>.dravo-save-" and six random letters or digits, a name nobody else
// uses (a name too long for that is cut where a character begins, so that the
// temporary name stays within the 255 bytes a file name may have), and a save
// holds it (locked, or open without sharing on Windows) until its rename;
// those that a killed save left behind, and only those, are removed by the
// next save of the same file. The new file keeps the owner, group and
// permissions of the file it replaces, as far as the system lets the saver.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace dravo::ref {

class AtomicFile {
public:
    static constexpr size_t TEMPORARY_RANDOM_LENGTH = 6;
    static constexpr size_t MAX_NAME_BYTES = 255;
    // What the temporary files of a file of this name begin with.
    static std::string TemporaryPrefix(const std::string& fileName);

    // Empty on success, else a sentence saying what failed.
    static std::string Write(const std::filesystem::path& target, std::string_view bytes);
};

} // namespace dravo::ref
