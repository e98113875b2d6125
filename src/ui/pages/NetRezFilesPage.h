// NetRezFilesPage: the rez file page. The operator chooses, from the archives in "Custom", which extra
// archives are loaded after the game's own and in which order; Next stores the RezFileList.
#pragma once

#include "engine/EngineServer.h"
#include "settings/ServerSettings.h"
#include "ui/pages/WizardPage.h"

#include <filesystem>

namespace dravo {

constexpr size_t REZ_LIST_ITEM_MAX_CHARS = 255; // list items are read into 256-byte buffers

class NetRezFilesPage final : public WizardPage {
public:
    // gameDirectory holds "Custom"; the list is read and written in place.
    NetRezFilesPage(EngineServer& server, TextList& rezFileList, std::filesystem::path gameDirectory)
        : m_Server(server), m_RezFileList(rezFileList), m_GameDirectory(std::move(gameDirectory)) {}

    // The entry of the list that could not be loaded (missing, or refused by the engine): the next opening
    // selects it, with the focus on the list, ready for Remove, as Next does for a missing one.
    void MarkUnusable(std::string entry) { m_Unusable = std::move(entry); }

private:
    void OnOpen(DialogApi& dialog) override;
    void OnPageCommand(DialogApi& dialog, int id, Notification code) override;
    void Add(DialogApi& dialog);
    void Remove(DialogApi& dialog);
    void Next(DialogApi& dialog);
    static void UpdateButtons(DialogApi& dialog);
    static void SelectForRemove(DialogApi& dialog, const std::string& entry);

    EngineServer& m_Server;
    TextList& m_RezFileList;
    std::filesystem::path m_GameDirectory;
    std::string m_Unusable;
};

} // namespace dravo
