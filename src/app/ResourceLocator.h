// ResourceLocator: finds the game's main and sound resources and hands the
// full resource list to the engine.
//
// Names are relative to the current directory. The main resource is a packed
// archive ("dravo.rez") or an unpacked directory ("dravo"); the game disc is
// tried last. Window thread only.
#pragma once

#include "app/ServerSettings.h"
#include "engine/EngineServer.h"
#include "platform/Drives.h"
#include "platform/window/WindowSystem.h"

#include <string>
#include <vector>

namespace dravo {

constexpr size_t RESOURCE_NAME_SIZE = 128; // each name, with its terminator
constexpr size_t MAX_RESOURCE_NAMES = 128; // the whole list

// The list handed to MountResources, or why it cannot be built.
struct ResourceList {
    std::vector<std::string> m_Names;
    std::string m_Error; // empty when the list is good
};

class ResourceLocator {
public:
    ResourceLocator(const IDrives& drives, WindowSystem& windows) : m_Drives(drives), m_Windows(windows) {}

    // The letter of a CD-ROM drive holding the game, or 0. A found letter is kept.
    char FindCdDrive();
    // Looks for the main and sound resources; true when both were found.
    bool LocateResources(char driveLetter);

    const std::string& MainArchivePath() const { return m_MainArchivePath; }
    const std::string& SoundArchivePath() const { return m_SoundArchivePath; }

    // Main, sound, "custom", the patch archives, then the extra names in order.
    ResourceList BuildResourceList(const TextList& extraNames) const;
    // Mounts that list in the engine; shows an error box and returns false when
    // the list does not fit or the engine refuses it.
    [[nodiscard]] bool AddResourceFiles(EngineServer* server, const TextList& extraNames);

private:
    bool IsFile(std::string_view name) const;
    bool IsDirectory(std::string_view name) const;

    const IDrives& m_Drives;
    WindowSystem& m_Windows;
    char m_CdDrive = 0;
    std::string m_MainArchivePath;
    std::string m_SoundArchivePath;
};

} // namespace dravo
