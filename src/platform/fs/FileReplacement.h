// FileReplacement: a file's new contents put in place all at once, whole and flushed, with the owner,
// group and mode of the file they replace.
//
// A writer makes a fresh file under a name of its own (CreateFreshFile: whatever stood at that name
// goes, and the new file is made there exclusively, never through a link and without waiting on a
// FIFO), fills it, gives it the ownership it should have, and renames it over the target
// (CommitFile), which a reader then sees old or new, never in part. Any thread.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace dravo {

// Who owns a file and who may read it. Windows has neither owner nor mode here: nothing is kept.
struct FileOwnership {
    bool m_Known = false;
    uint32_t m_User = 0;
    uint32_t m_Group = 0;
    uint32_t m_Mode = 0; // the permission bits
};

// The ownership of the file a path names (a link is followed); not known when there is none.
FileOwnership OwnershipOf(const std::filesystem::path& file);
// The ownership a new file of this process gets: its user and group, and `mode`.
FileOwnership NewFileOwnership(uint32_t mode);

// An empty regular file at `path`, only this process's, mode 0600; false with the reason.
bool CreateFreshFile(const std::filesystem::path& path, std::string& error);
// Writes the bytes into a file made by CreateFreshFile; false with the reason.
bool WriteFreshFile(const std::filesystem::path& path, std::string_view bytes, std::string& error);
// Gives the file at `path` (not a link's target) the ownership, as far as the system lets this process
// (a user who is not root keeps the owner); false with the reason when its mode cannot be set.
bool ApplyOwnership(const std::filesystem::path& path, const FileOwnership& ownership, std::string& error);
// Flushes the file to disk and renames it over `target`, then flushes the directory; false with the
// reason, the file then removed and the target as it was.
bool CommitFile(const std::filesystem::path& file, const std::filesystem::path& target, std::string& error);
// Why a save must not replace the file: on Windows its read-only attribute, which an operator sets to
// freeze it (and which the system's own rename honours, whatever an emulation does); empty when it may.
// POSIX systems let a rename replace a file of any mode, as the directory decides: empty there.
std::string WhyReadOnly(const std::filesystem::path& file);
// Removes a file made by CreateFreshFile that is not to be committed.
void DiscardFile(const std::filesystem::path& file);

} // namespace dravo
