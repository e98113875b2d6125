// ConfigurationFile: the configuration file's life over one run, from the lock taken at start to the
// save at the end.
//
// Contract. Window thread. Take holds the one-server lock (InstanceLock) for the run and refuses the
// run, saying why, when the lock cannot be had or the file's directory takes no new file: another
// server holds it, the directory is one this user may not write, something that is not a lock file
// stands at the lock's name. Refused at start, such a run never reaches a save that must fail.
// NoteLoading, just before the engine reads the file, keeps what the file holds; KeepOriginal, once
// some lines proved unreadable, keeps those very bytes beside it (KeptCopies, "<file>.orig").
// Save has the engine write the run's settings into a file of their own beside the configuration,
// gives that file the configuration's owner, group and mode (a new configuration that holds a secret
// is its owner's alone), flushes it and renames it over the configuration. The configuration is left
// as it is, and the settings are saved beside it ("<file>.new") and named, when it was changed on disk
// since it was loaded (a hand edit), when another server took its lock over, or when its unreadable
// lines could not be copied; one deleted during the run is written anew. Through a link, the file it
// leads to is what is locked, copied and replaced.
#pragma once

#include "platform/fs/FileReplacement.h"
#include "platform/fs/InstanceLock.h"
#include "window/WindowSystem.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>

namespace dravo {

class ConfigurationFile {
public:
    // Writes the settings into `file`; false with the reason in `error`.
    using Writer = std::function<bool(const std::filesystem::path& file, std::string& error)>;
    enum class Saved {
        InPlace, // the configuration holds the run's settings
        Beside,  // the configuration is left as it was; the settings are in a file beside it
        Failed,  // nothing could be saved
    };
    static constexpr uint32_t NEW_FILE_MODE = 0644;
    static constexpr uint32_t SECRET_FILE_MODE = 0600;

    ConfigurationFile(WindowSystem& windows, std::string path) : m_Windows(windows), m_Path(std::move(path)) {}

    // True when the run may go on with the file; otherwise the reason has been said.
    bool Take();
    void NoteLoading();
    void KeepOriginal();
    // Says what went wrong; `holdsSecret` when the settings hold a password.
    Saved Save(const Writer& write, bool holdsSecret);
    // The run, its save included, is over.
    void Release() { m_Lock.Release(); }

private:
    struct Contents {
        bool m_Exists = false;
        size_t m_Size = 0;
        size_t m_Hash = 0;
        bool operator==(const Contents&) const = default;
    };
    static Contents ContentsOf(const std::filesystem::path& file, std::string* bytes);
    // The file the configuration's name leads to, its links followed (a dangling link names its target).
    std::filesystem::path Target() const;
    // Why the configuration must be left as it is; empty when the save may replace it.
    std::string WhyLeaveAlone(const std::filesystem::path& target);
    // An error box and the reason or advice with it: in the box where a window shows it, and always as a
    // note on standard error.
    void SayError(const std::string& text, const std::string& why);
    void SayHeldByOther(const std::string& holder);
    static bool WriteInto(const std::filesystem::path& destination, const Writer& write, const FileOwnership& ownership,
                          std::string& error);

    WindowSystem& m_Windows;
    std::string m_Path;
    InstanceLock m_Lock;
    Contents m_Loaded;
    std::string m_LoadedBytes; // until KeepOriginal
    FileOwnership m_LoadedOwnership;
    std::string m_NoOriginal; // why no copy could be kept of a file that needed one
};

} // namespace dravo
