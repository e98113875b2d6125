// NetGameLevelsPage: the level list page, last of the setup pages. The operator builds the rotation
// from the retail levels ("Worlds\Multi") and the custom levels (the root) of the loaded resources;
// Finish puts it into GameInfo and the LevelList.
#pragma once

#include "engine/EngineServer.h"
#include "engine/HostingRecords.h"
#include "settings/ServerSettings.h"
#include "ui/pages/WizardPage.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dravo {

inline constexpr std::string_view RETAIL_LEVEL_DIRECTORY = "Worlds\\Multi";
inline constexpr std::string_view CUSTOM_LEVEL_DIRECTORY = "\\";
inline constexpr std::string_view RETAIL_LEVEL_PREFIX = "Worlds\\Multi\\";
inline constexpr const char* SAVE_GAME_LEVELS_KEY = "SaveGameLevels";
constexpr size_t LEVEL_FILE_NAME_MAX_CHARS = 127;

// Item data of a rotation entry.
constexpr int64_t RETAIL_LEVEL = 0;
constexpr int64_t CUSTOM_LEVEL = 1;

// The path a level is hosted and stored under: "Worlds\Multi\name" for a retail level, the bare name
// for a custom one.
std::string LevelPath(std::string_view name, int64_t kind);
// Whether a stored path names a retail level: it contains "\MULTI\" in any case.
bool IsRetailLevelPath(std::string_view path);

class NetGameLevelsPage final : public WizardPage {
public:
    NetGameLevelsPage(EngineServer& server, GameInfo& gameInfo, TextList& levelList)
        : m_Server(server), m_GameInfo(gameInfo), m_LevelList(levelList) {}

private:
    void OnOpen(DialogApi& dialog) override;
    void OnPageCommand(DialogApi& dialog, int id, Notification code) override;
    // The rotation and the box as the operator left them, shown again when the page opens after Back.
    void OnBack(DialogApi& dialog) override;
    void ShowRotation(DialogApi& dialog);
    void FillSource(DialogApi& dialog, int listId, std::string_view directory, int64_t kind);
    void Add(DialogApi& dialog, int sourceId);
    void Remove(DialogApi& dialog);
    void Finish(DialogApi& dialog);
    static void UpdateButtons(DialogApi& dialog);

    EngineServer& m_Server;
    GameInfo& m_GameInfo;
    TextList& m_LevelList;
    struct KeptLevel {
        std::string m_Name;
        int64_t m_Kind = CUSTOM_LEVEL;
    };
    std::optional<std::vector<KeptLevel>> m_Kept; // set by Back, until the page is left by Next
    bool m_KeptSaveLevels = false;
};

} // namespace dravo
