// The level list page.
#include "ui/pages/NetGameLevelsPage.h"

#include "platform/os/Text.h"
#include "res/NetGameLevelsTemplate.h"
#include "res/WizardFrame.h"
#include "settings/SettingsStore.h"

namespace dravo {
namespace {

using Control = NetGameLevelsControl;

constexpr std::string_view LEVEL_ENDING = ".dat";
// Said while Finish is disabled, so that the operator knows why.
constexpr std::string_view FINISH_HINT = "Add at least one level to finish.";

constexpr int Id(Control control) {
    return static_cast<int>(control);
}

} // namespace

std::string LevelPath(std::string_view name, int64_t kind) {
    return kind == RETAIL_LEVEL ? std::string(RETAIL_LEVEL_PREFIX) + std::string(name) : std::string(name);
}

bool IsRetailLevelPath(std::string_view path) {
    return ContainsNoCase(path, "\\MULTI\\");
}

void NetGameLevelsPage::OnOpen(DialogApi& dialog) {
    FillSource(dialog, Id(Control::RetailLevels), RETAIL_LEVEL_DIRECTORY, RETAIL_LEVEL);
    FillSource(dialog, Id(Control::CustomLevels), CUSTOM_LEVEL_DIRECTORY, CUSTOM_LEVEL);
    ShowRotation(dialog);
    UpdateButtons(dialog);
}

void NetGameLevelsPage::ShowRotation(DialogApi& dialog) {
    if (m_Kept) { // back on the page after Back: as it was left
        dialog.CheckItem(Control::SaveLevels, m_KeptSaveLevels);
        for (const KeptLevel& level : *m_Kept) {
            const int index = dialog.ListAdd(Control::GameLevels, level.m_Name);
            (void)dialog.ListSetData(Control::GameLevels, index, level.m_Kind);
        }
        return;
    }
    SettingsStore store(&m_Server);
    int32_t saveLevels = 0;
    (void)store.ReadSettingInt(SAVE_GAME_LEVELS_KEY, saveLevels);
    if (saveLevels == 0) {
        return;
    }
    dialog.CheckItem(Control::SaveLevels, true);
    for (const std::string& path : m_LevelList) {
        if (path.empty()) {
            continue;
        }
        const size_t slash = path.rfind('\\');
        const int index =
            dialog.ListAdd(Control::GameLevels, slash == std::string::npos ? path : path.substr(slash + 1));
        (void)dialog.ListSetData(Control::GameLevels, index, IsRetailLevelPath(path) ? RETAIL_LEVEL : CUSTOM_LEVEL);
    }
}

void NetGameLevelsPage::OnBack(DialogApi& dialog) {
    std::vector<KeptLevel> kept;
    const int count = dialog.ListCount(Control::GameLevels);
    for (int index = 0; index < count; ++index) {
        if (auto name = dialog.ListText(Control::GameLevels, index, LEVEL_FILE_NAME_MAX_CHARS)) {
            kept.push_back({std::move(*name), dialog.ListData(Control::GameLevels, index).value_or(CUSTOM_LEVEL)});
        }
    }
    m_Kept = std::move(kept);
    m_KeptSaveLevels = dialog.IsChecked(Control::SaveLevels);
}

void NetGameLevelsPage::FillSource(DialogApi& dialog, int listId, std::string_view directory, int64_t kind) {
    dialog.ListClear(listId);
    DirEntry* first = m_Server.ListResourceDir(std::string(directory).c_str());
    if (first == nullptr) {
        return;
    }
    for (const DirEntry* entry = first; entry != nullptr; entry = entry->m_Next) {
        if (entry->m_Kind != DIR_ENTRY_FILE || entry->m_Name == nullptr) {
            continue;
        }
        // One past the limit tells a name that is too long from one that just fits.
        const std::string_view file = BoundedText(entry->m_Name, LEVEL_FILE_NAME_MAX_CHARS + 1);
        if (file.size() <= LEVEL_ENDING.size() || !EndsWithNoCase(file, LEVEL_ENDING)) {
            continue;
        }
        const std::string_view name = file.substr(0, file.size() - LEVEL_ENDING.size());
        // A level whose path would be cut in GameInfo or in the stored list could never be hosted.
        if (LevelPath(name, kind).size() > LEVEL_NAME_MAX_CHARS) {
            continue;
        }
        const int index = dialog.ListAdd(listId, name);
        (void)dialog.ListSetData(listId, index, kind);
    }
    m_Server.ReleaseResourceDir(first);
    dialog.ListSetSelection(listId, 0);
}

void NetGameLevelsPage::OnPageCommand(DialogApi& dialog, int id, Notification code) {
    switch (static_cast<Control>(id)) {
    case Control::AddRetail:
        Add(dialog, Id(Control::RetailLevels));
        return;
    case Control::AddCustom:
        Add(dialog, Id(Control::CustomLevels));
        return;
    case Control::Remove:
        Remove(dialog);
        return;
    case Control::RetailLevels:
    case Control::CustomLevels:
    case Control::GameLevels:
        if (code == Notification::SelectionChange) {
            UpdateButtons(dialog);
        } else if (code == Notification::DoubleClick) {
            const Control command = id == Id(Control::RetailLevels)   ? Control::AddRetail
                                    : id == Id(Control::CustomLevels) ? Control::AddCustom
                                                                      : Control::Remove;
            dialog.PostCommand(command);
        }
        return;
    default:
        break;
    }
    if (id == static_cast<int>(WizardControl::Next)) {
        Finish(dialog);
    }
}

void NetGameLevelsPage::UpdateButtons(DialogApi& dialog) {
    dialog.EnableItem(Control::AddRetail, dialog.ListSelection(Control::RetailLevels) != NO_SELECTION);
    dialog.EnableItem(Control::AddCustom, dialog.ListSelection(Control::CustomLevels) != NO_SELECTION);
    dialog.EnableItem(Control::Remove, dialog.ListSelection(Control::GameLevels) != NO_SELECTION);
    const bool levels = dialog.ListCount(Control::GameLevels) > 0;
    dialog.EnableItem(WizardControl::Next, levels);
    (void)dialog.SetItemText(Control::FinishHint, levels ? std::string_view{} : FINISH_HINT);
}

void NetGameLevelsPage::Add(DialogApi& dialog, int sourceId) {
    const int selected = dialog.ListSelection(sourceId);
    const auto name = dialog.ListText(sourceId, selected, LEVEL_FILE_NAME_MAX_CHARS);
    const auto kind = dialog.ListData(sourceId, selected);
    if (name && kind) {
        const int index = dialog.ListAdd(Control::GameLevels, *name);
        (void)dialog.ListSetData(Control::GameLevels, index, *kind);
    }
    UpdateButtons(dialog);
}

void NetGameLevelsPage::Remove(DialogApi& dialog) {
    const int selected = dialog.ListSelection(Control::GameLevels);
    if (selected != NO_SELECTION) {
        const int left = dialog.ListDelete(Control::GameLevels, selected);
        if (left > 0) {
            dialog.ListSetSelection(Control::GameLevels, selected < left ? selected : left - 1);
        }
    }
    UpdateButtons(dialog);
}

void NetGameLevelsPage::Finish(DialogApi& dialog) {
    m_Kept.reset(); // taken now: a later opening shows what was stored
    m_LevelList.clear();
    m_GameInfo.m_LevelCount = 0;
    for (auto& slot : m_GameInfo.m_LevelNames) {
        slot[0] = '\0';
    }
    const int count = dialog.ListCount(Control::GameLevels);
    for (int index = 0; index < count && m_GameInfo.m_LevelCount < MAX_LEVELS; ++index) {
        const auto name = dialog.ListText(Control::GameLevels, index, LEVEL_FILE_NAME_MAX_CHARS);
        if (!name) {
            continue;
        }
        const std::string path = LevelPath(*name, dialog.ListData(Control::GameLevels, index).value_or(CUSTOM_LEVEL));
        CopyCut(m_GameInfo.m_LevelNames[m_GameInfo.m_LevelCount], path);
        m_LevelList.push_back(path);
        ++m_GameInfo.m_LevelCount;
    }
    SettingsStore store(&m_Server);
    (void)store.StoreSettingInt(SAVE_GAME_LEVELS_KEY, dialog.IsChecked(Control::SaveLevels) ? 1 : 0);
    dialog.EndDialog(PAGE_NEXT);
}

} // namespace dravo
