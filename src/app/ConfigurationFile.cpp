// The configuration file's life: the lock, the bytes as loaded, the save in place or beside.
#include "app/ConfigurationFile.h"

#include "app/KeptCopies.h"
#include "platform/fs/BoundedFile.h"
#include "ui/ErrorBox.h"

#include <string_view>
#include <system_error>

namespace dravo {
namespace {

// More than any configuration the engine reads: a larger file is compared by what fits.
constexpr size_t MAX_COMPARED_BYTES = size_t{32} << 20;

std::filesystem::path FollowLinks(std::filesystem::path path) {
    constexpr int MAX_LINKS = 40;
    for (int hop = 0; hop < MAX_LINKS; ++hop) {
        std::error_code error;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(path, error))) {
            return path;
        }
        const std::filesystem::path next = std::filesystem::read_symlink(path, error);
        if (error) {
            return path;
        }
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return path;
}

} // namespace

bool ConfigurationFile::Take() {
    std::string detail;
    const InstanceLock::Outcome outcome = m_Lock.Take(m_Path, detail);
    if (outcome == InstanceLock::Outcome::HeldByOther) {
        SayHeldByOther(detail);
        return false;
    }
    // The save at the end writes a new file beside the configuration: the directory must take one now.
    const std::filesystem::path writing = KeptCopies::WritingName(Target());
    if (outcome == InstanceLock::Outcome::Held) {
        // A file the operator froze is not replaced at the end, and said now rather than then.
        if (detail = WhyReadOnly(Target()); !detail.empty()) {
            m_Lock.Release();
            SayError("ERROR - Unable to use the configuration file \"" + m_Path + "\": " + detail + ".",
                     "The settings are saved there when the run ends. Clear its read-only attribute (attrib -r) to "
                     "let them be saved, or give -CONFIG a file of its own.");
            return false;
        }
    }
    if (outcome == InstanceLock::Outcome::Held && CreateFreshFile(writing, detail)) {
        DiscardFile(writing);
        return true;
    }
    m_Lock.Release();
    SayError("ERROR - Unable to use the configuration file \"" + m_Path + "\": " + detail + ".",
             "The settings are saved there when the run ends, so its directory must be one this user can write, "
             "with nothing but DravoServ's own lock file at the lock's name. Or give -CONFIG a file in such a "
             "directory.");
    return false;
}

void ConfigurationFile::SayError(const std::string& text, const std::string& why) {
    // A window shows no standard error: the box itself says why, and what to do.
    const bool inBox = m_Windows.CanShowDialogs() && !why.empty();
    ShowErrorBox(m_Windows, inBox ? text + "\n\n" + why : text);
    if (!why.empty()) {
        m_Windows.ShowNote(why);
    }
}

void ConfigurationFile::SayHeldByOther(const std::string& holder) {
    SayError("ERROR - Another DravoServ" + (holder.empty() ? std::string() : " (process " + holder + ")") +
                 " runs with the configuration file \"" + m_Path +
                 "\"; the last to end would save over the other's settings.",
             "Stop that server first, or give this one a configuration file of its own with -CONFIG.");
}

void ConfigurationFile::NoteLoading() {
    const std::filesystem::path target = Target();
    m_Loaded = ContentsOf(target, &m_LoadedBytes);
    m_LoadedOwnership = OwnershipOf(target);
}

void ConfigurationFile::KeepOriginal() {
    const std::filesystem::path target = Target();
    const std::string bytes = std::move(m_LoadedBytes);
    m_LoadedBytes.clear();
    std::string error;
    const std::optional<std::filesystem::path> copy = KeptCopies::KeepOriginal(target, bytes, m_LoadedOwnership, error);
    if (!copy) {
        m_NoOriginal = error;
        return;
    }
    m_Windows.ShowNote("Some lines of " + target.string() +
                       " could not be read and are not saved again; the file as it was is kept as " + copy->string() +
                       ".");
}

ConfigurationFile::Saved ConfigurationFile::Save(const Writer& write, bool holdsSecret) {
    m_LoadedBytes.clear();
    const std::filesystem::path target = Target();
    FileOwnership ownership = OwnershipOf(target);
    if (!ownership.m_Known) {
        // Written anew: as it was loaded, or a new file.
        ownership = m_LoadedOwnership.m_Known ? m_LoadedOwnership
                                              : NewFileOwnership(holdsSecret ? SECRET_FILE_MODE : NEW_FILE_MODE);
    }
    const std::string leaveAlone = WhyLeaveAlone(target);
    std::string error;
    if (leaveAlone.empty()) {
        if (WriteInto(target, write, ownership, error)) {
            return Saved::InPlace;
        }
        SayError("ERROR - Unable to save the configuration file \"" + m_Path + "\".", error);
        return Saved::Failed;
    }
    const std::filesystem::path beside = KeptCopies::Choose(target, KeptCopies::NEW_SUFFIX, std::nullopt).m_Path;
    const bool saved = WriteInto(beside, write, ownership, error);
    SayError("ERROR - The configuration file \"" + m_Path + "\" is left as it was: " + leaveAlone + ".",
             saved ? "The settings of this run are saved in " + beside.string() + "."
                   : "The settings of this run could not be saved beside it either: " + error + ".");
    return saved ? Saved::Beside : Saved::Failed;
}

std::string ConfigurationFile::WhyLeaveAlone(const std::filesystem::path& target) {
    if (!m_Lock.Guards()) {
        // Its lock file was deleted or replaced: another server may have started on the file since.
        m_Lock.Release();
        std::string holder;
        if (m_Lock.Take(m_Path, holder) == InstanceLock::Outcome::HeldByOther) {
            return "another DravoServ" + (holder.empty() ? std::string() : " (process " + holder + ")") +
                   " took it over while this one ran";
        }
    }
    if (!m_NoOriginal.empty()) {
        return "some of its lines could not be read and no copy of it could be kept (" + m_NoOriginal + ")";
    }
    const Contents now = ContentsOf(target, nullptr);
    if (now.m_Exists && now != m_Loaded) {
        return "it was changed on disk while the server ran, and that version is kept";
    }
    return {};
}

bool ConfigurationFile::WriteInto(const std::filesystem::path& destination, const Writer& write,
                                  const FileOwnership& ownership, std::string& error) {
    const std::filesystem::path writing = KeptCopies::WritingName(destination);
    if (!CreateFreshFile(writing, error)) {
        return false;
    }
    if (!write(writing, error) || !ApplyOwnership(writing, ownership, error) ||
        !CommitFile(writing, destination, error)) {
        DiscardFile(writing);
        return false;
    }
    return true;
}

ConfigurationFile::Contents ConfigurationFile::ContentsOf(const std::filesystem::path& file, std::string* bytes) {
    BoundedFile read = ReadBoundedFile(file, MAX_COMPARED_BYTES);
    Contents contents;
    contents.m_Exists = read.m_Outcome != BoundedFile::Outcome::Missing;
    contents.m_Size = read.m_Bytes.size();
    contents.m_Hash = std::hash<std::string_view>{}(read.m_Bytes);
    if (bytes != nullptr) {
        *bytes = std::move(read.m_Bytes);
    }
    return contents;
}

std::filesystem::path ConfigurationFile::Target() const {
    return FollowLinks(m_Path);
}

} // namespace dravo
