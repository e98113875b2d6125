// ResourceLocator: finds the game's main and sound resources and hands the
// full resource list to the engine.
//
// Names are relative to the current directory. The main resource is a packed
// archive ("dravo.rez") or an unpacked directory ("dravo"); the game disc is
// tried last. Window thread only.
#pragma once

#include "engine/EngineServer.h"
#include "platform/fs/Drives.h"
#include "settings/ServerSettings.h"

#include <string>
#include <vector>

namespace dravo {

constexpr size_t RESOURCE_NAME_SIZE = 128; // each name, with its terminator
constexpr size_t MAX_RESOURCE_NAMES = 128; // the whole list
// Main, sound, "custom" and the eleven patch archives come first; the extra rez files get the rest.
constexpr size_t FIXED_RESOURCE_NAMES = 14;
constexpr size_t MAX_EXTRA_RESOURCE_NAMES = MAX_RESOURCE_NAMES - FIXED_RESOURCE_NAMES;

// The list handed to MountResources, or why it cannot be built.
struct ResourceList {
    std::vector<std::string> m_Names;
    std::string m_Error; // empty when the list is good
};

enum class MountOutcome {
    Mounted,
    NoServer,      // there is no server object
    ListRejected,  // the list does not fit; the reason is given
    EngineRefused, // the engine could not load the list
};

class ResourceLocator {
public:
    explicit ResourceLocator(const IDrives& drives) : m_Drives(drives) {}

    // The letter of a CD-ROM drive holding the game, or 0. A found letter is kept.
    char FindCdDrive();
    // Looks for the main and sound resources; true when both were found.
    bool LocateResources(char driveLetter);

    const std::string& MainArchivePath() const { return m_MainArchivePath; }
    const std::string& SoundArchivePath() const { return m_SoundArchivePath; }

    // Main, sound, "custom", the patch archives, then the extra names in order.
    ResourceList BuildResourceList(const TextList& extraNames) const;
    // Mounts that list in the engine. The list's own error is in `error` when it cannot be built.
    [[nodiscard]] MountOutcome MountResourceFiles(EngineServer* server, const TextList& extraNames,
                                                  std::string& error) const;

private:
    bool IsFile(std::string_view name) const;
    bool IsDirectory(std::string_view name) const;

    const IDrives& m_Drives;
    char m_CdDrive = 0;
    std::string m_MainArchivePath;
    std::string m_SoundArchivePath;
};

} // namespace dravo
