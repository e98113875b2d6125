// Locating the game's resources and building the list the engine mounts.
#include "settings/ResourceLocator.h"

#include "platform/fs/FileSystem.h"

#include <array>
#include <cctype>
#include <system_error>

namespace dravo {
namespace {

// Patch and extra archives that always follow "custom", whether present or not.
constexpr std::array<const char*, 11> PATCH_ARCHIVES = {
    "dravop.rez",  "dravop2.rez", "dravop3.rez", "dravop4.rez", "dravop5.rez", "dravop6.rez",
    "dravop7.rez", "dravop8.rez", "dravop9.rez", "dravot.rez",  "dravol.rez",
};

bool HasDriveLetter(std::string_view name) {
    return name.size() >= 2 && std::isalpha(static_cast<unsigned char>(name[0])) != 0 && name[1] == ':';
}

} // namespace

bool ResourceLocator::IsFile(std::string_view name) const {
    if (HasDriveLetter(name)) {
        const auto root = m_Drives.Root(static_cast<char>(std::toupper(static_cast<unsigned char>(name[0]))));
        return root && FindEntry(*root, name.substr(2)) == EntryKind::File;
    }
    std::error_code error;
    return FindEntry(std::filesystem::current_path(error), name) == EntryKind::File;
}

bool ResourceLocator::IsDirectory(std::string_view name) const {
    std::error_code error;
    return !HasDriveLetter(name) && FindEntry(std::filesystem::current_path(error), name) == EntryKind::Directory;
}

char ResourceLocator::FindCdDrive() {
    if (m_CdDrive != 0) {
        return m_CdDrive;
    }
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        if (m_Drives.DriveType(letter) == DRIVE_TYPE_CDROM && IsFile(std::string(1, letter) + ":\\GAME\\DRAVO.EXE")) {
            m_CdDrive = letter;
            return letter;
        }
    }
    return 0;
}

bool ResourceLocator::LocateResources(char driveLetter) {
    m_MainArchivePath.clear();
    m_SoundArchivePath.clear();
    if (IsFile("dravo.rez")) {
        m_MainArchivePath = "dravo.rez";
    } else if (IsDirectory("dravo")) {
        m_MainArchivePath = "dravo";
    } else if (driveLetter != 0) {
        const std::string onDisc = std::string(1, driveLetter) + ":\\data\\dravo.rez";
        if (IsFile(onDisc)) {
            m_MainArchivePath = onDisc;
        }
    }
    if (IsFile("sound.rez")) {
        m_SoundArchivePath = "sound.rez";
    } else if (IsDirectory("sound")) {
        m_SoundArchivePath = "sound";
    }
    return !m_MainArchivePath.empty() && !m_SoundArchivePath.empty();
}

ResourceList ResourceLocator::BuildResourceList(const TextList& extraNames) const {
    ResourceList list;
    list.m_Names.push_back(m_MainArchivePath);
    if (!m_SoundArchivePath.empty()) {
        list.m_Names.push_back(m_SoundArchivePath);
    }
    list.m_Names.emplace_back("custom");
    list.m_Names.insert(list.m_Names.end(), PATCH_ARCHIVES.begin(), PATCH_ARCHIVES.end());
    for (const std::string& name : extraNames) {
        if (name.size() >= RESOURCE_NAME_SIZE) {
            list.m_Error = "ERROR - The resource file name \"" + name + "\" is too long (at most " +
                           std::to_string(RESOURCE_NAME_SIZE - 1) + " characters).";
            return list;
        }
        list.m_Names.push_back(name);
    }
    if (list.m_Names.size() > MAX_RESOURCE_NAMES) {
        list.m_Error = "ERROR - Too many resource files: " + std::to_string(list.m_Names.size()) + " (at most " +
                       std::to_string(MAX_RESOURCE_NAMES) + ").";
    }
    return list;
}

MountOutcome ResourceLocator::MountResourceFiles(EngineServer* server, const TextList& extraNames,
                                                 std::string& error) const {
    if (server == nullptr) {
        return MountOutcome::NoServer;
    }
    ResourceList list = BuildResourceList(extraNames);
    if (!list.m_Error.empty()) {
        error = std::move(list.m_Error);
        return MountOutcome::ListRejected;
    }
    std::vector<const char*> names;
    names.reserve(list.m_Names.size());
    for (const std::string& name : list.m_Names) {
        names.push_back(name.c_str());
    }
    const int32_t mounted = server->MountResources(names.data(), static_cast<uint32_t>(names.size()));
    return mounted == ENGINE_TRUE ? MountOutcome::Mounted : MountOutcome::EngineRefused;
}

} // namespace dravo
